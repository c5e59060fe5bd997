#!/usr/bin/env bash
# `cpack` gives a Debian package that declares what the game needs, holds only the game (with a
# valid menu entry whose window class is the window's, and the icon at every size), and whose
# unpacked binary finds its resources and plays, and tells what is wrong when they are broken.
#   package.sh BUILD_DIR
set -uo pipefail
build=$1
source "$(dirname "$0")/lib.sh"

(cd "$build" && cpack -B "$work/out-deb" >/dev/null) || { echo "FAILED: cpack"; exit 1; }
deb=$(ls "$work"/out-deb/tarvenko_*_amd64.deb 2>/dev/null | head -1)
expect package-built [ -s "$deb" ]

fields() { dpkg-deb -f "$deb" "$@" 2>/dev/null; }
depends=$(fields Depends)
for dep in libsdl2-2.0-0 libsdl2-mixer-2.0-0 libcairo2 libpango-1.0-0 libpangocairo-1.0-0 libpixman-1-0 \
    fonts-lato fonts-noto-color-emoji; do
    expect "depends-$dep" grep -qE "(^|, )$dep( |,|$)" <<<"$depends"
done
expect section [ "$(fields Section)" = games ]
expect recommends grep -q hicolor-icon-theme <<<"$(fields Recommends)"
expect maintainer grep -q '<.*@.*>' <<<"$(fields Maintainer)"

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
# The resources and the vector icon; lintian asks for the rest (man page, copyright, changelog).
for f in usr/share/tarvenko/laser.wav usr/share/tarvenko/explosion.wav usr/share/tarvenko/Explosion.emitter.json \
    usr/share/icons/hicolor/scalable/apps/tarvenko.svg usr/share/bash-completion/completions/tarvenko; do
    expect "holds-$f" grep -qx "\./$f" <<<"$files"
done
expect only-the-game [ "$(grep -c '^\./usr/\(bin\|games\)/.' <<<"$files")" = 1 ]
expect nothing-outside-usr [ "$(grep -vc '^\./usr/\|^\./$' <<<"$files")" = 0 ]

# Unpacked where no build tree is near, it still finds its resources: a quiet start and a game.
dpkg-deb -x "$deb" "$work/root"
expect stripped [ -z "$(readelf -S "$work/root/usr/games/tarvenko" | grep debug_info)" ]
entry=$work/root/usr/share/applications/org.tarvenko.Tarvenko.desktop
expect desktop-entry desktop-file-validate "$entry"
expect window-class grep -qx "StartupWMClass=org.tarvenko.Tarvenko" "$entry"
for size in 16 24 32 48 64 128 256; do
    icon=$work/root/usr/share/icons/hicolor/${size}x${size}/apps/tarvenko.png
    expect "icon-$size" test "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}"
done
# What lintian says: no error, no warning, and the hardening Debian asks for.
expect lintian-there [ -n "$(command -v lintian)" ]
lintian --pedantic --info --tag-display-limit 0 "$deb" >"$work/lintian" 2>/dev/null
expect lintian-no-errors-or-warnings [ -z "$(grep -E '^(E|W):' "$work/lintian")" ]
expect lintian-hardened [ -z "$(grep hardening- "$work/lintian")" ]
[ "$failed" = 0 ] || sed 's/^/    lintian: /' "$work/lintian"
# What a software centre reads: valid with no warning.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/metainfo/org.tarvenko.Tarvenko.metainfo.xml >"$work/metainfo.xml"
appstreamcli validate --no-net --strict "$work/metainfo.xml" >"$work/appstream" 2>&1
expect appstream-valid [ $? = 0 ]
# One version: the binary's, the package's, the changelog's and the listing's.
version=$(fields Version)
expect version-told [ "$("$work/root/usr/games/tarvenko" --version)" = "tarvenko $version" ]
expect version-everywhere grep -q "release version=\"$version\"" "$work/metainfo.xml"
expect version-changelog grep -q "^tarvenko ($version)" <(zcat "$work/root/usr/share/doc/tarvenko/changelog.gz")
[ "$failed" = 0 ] || sed 's/^/    appstream: /' "$work/appstream"
# The unpacked game plays quietly; with a sound or scene file broken, without an audio device or
# sound card, without fonts, it says the cause in one line on stderr and plays on.
game_bin=$work/root/usr/games/tarvenko
data=$work/root/usr/share/tarvenko
# scenario name, what breaks it, the words of its one stderr line (none: a quiet stderr). A
# broken emitter file, read on every hit, is the stories' and the parser's to show: hits here
# would need luck.
scenario() {
    local name=$1 breaks=$2 word=${3:-}
    rm -rf "$data.saved" && cp -r "$data" "$data.saved"
    (cd "$data" && eval "$breaks")
    start "$game_bin"
    check "$name-panel" panel_shown
    click 400 188
    check "$name-plays" ship_at 400
    xdotool key space key space
    sleep 0.3
    quit_game
    expect "$name-exit" [ "$status" = 0 ]
    expect "$name-quiet-stdout" [ ! -s "$work/out" ]
    if [ -z "$word" ]; then expect "$name-quiet-stderr" [ ! -s "$work/err" ]
    else expect "$name-one-line-saying-$word" one_line_saying "$word"; fi
    [ "$failed" = 0 ] || sed "s/^/    $name stderr: /" "$work/err"
    rm -rf "$data" && mv "$data.saved" "$data"
}
scenario intact ":"
scenario laser-not-a-wave "echo 'not a sound' > laser.wav" "laser.wav is not a WAV file"
scenario scene-malformed "echo '{\"size\": [800' > GameScene.scene.json" "GameScene.scene.json"
SDL_AUDIODRIVER=no-such-device scenario no-audio-device ":" "silently"
# Without a sound card ALSA has lines of its own to print; the game's one line is all that shows.
if ! grep -q '^ *[0-9]' /proc/asound/cards 2>/dev/null; then
    SDL_AUDIODRIVER=alsa scenario no-sound-card ":" "silently"
fi
# Fonts: a fontconfig that knows only the DejaVu fonts, so neither the requested family nor its
# stand-in is there; then one that knows no font at all, and the text cannot be drawn.
fonts() { # folder: a fontconfig file that knows only the fonts there
    echo "<?xml version=\"1.0\"?><fontconfig><dir>$1</dir><cachedir>$work/fontcache</cachedir></fontconfig>" >"$work/fonts.conf"
}
fonts /usr/share/fonts/truetype/dejavu
FONTCONFIG_FILE=$work/fonts.conf scenario no-stand-in-font ":" "Lato"
mkdir -p "$work/nofonts" && fonts "$work/nofonts"
FONTCONFIG_FILE=$work/fonts.conf scenario no-fonts ":" "text cannot be drawn"
finish
