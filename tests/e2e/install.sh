#!/usr/bin/env bash
# `cmake --install` into a fresh prefix gives the game, its resources, a valid menu entry whose
# window class matches the window's, and the icon at every size.
#   install.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failed=0 passed=0
expect() { if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi; }

cmake --install "$1" --prefix "$prefix" >/dev/null
expect binary test -x "$prefix/games/tarvenko"
for f in laser.wav explosion.wav Explosion.emitter.json; do expect "resource-$f" test -s "$prefix/share/tarvenko/$f"; done
id=org.tarvenko.Tarvenko
expect desktop-entry desktop-file-validate "$prefix/share/applications/$id.desktop"
expect window-class grep -qx "StartupWMClass=$id" "$prefix/share/applications/$id.desktop"
expect metainfo test -s "$prefix/share/metainfo/$id.metainfo.xml"
expect scalable-icon test -s "$prefix/share/icons/hicolor/scalable/apps/tarvenko.svg"
for size in 16 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/tarvenko.png
    expect "icon-$size" test "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}"
done
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
