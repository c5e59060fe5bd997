#!/usr/bin/env bash
# The installed game with each resource broken in turn, and without an audio device: one clear
# line on stderr naming the cause, play goes on, nothing on stdout, a clean exit.
#   bad-resources.sh BUILD_DIR
set -uo pipefail
build=$1
helpers=$build/bin
source "$(dirname "$0")/lib.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAILED: install"; exit 1; }
data=$prefix/share/tarvenko

# scenario name, what breaks it, the word its stderr line must hold ("" for none).
scenario() {
    local name=$1 breaks=$2 word=$3
    rm -rf "$data.saved" && cp -r "$data" "$data.saved"
    (cd "$data" && eval "$breaks")
    start "$prefix/bin/tarvenko"
    check "$name-panel" panel_shown
    click 400 188
    check "$name-plays" ship_at 400
    xdotool key space key space
    sleep 0.3
    close_window
    expect "$name-exit" [ "$status" = 0 ]
    expect "$name-stdout" [ ! -s "$work/out" ]
    local lines; lines=$(wc -l <"$work/err")
    if [ -z "$word" ]; then
        expect "$name-stderr-quiet" [ "$lines" = 0 ]
    else
        expect "$name-stderr-one-line" [ "$lines" = 1 ]
        expect "$name-stderr-says-$word" grep -q "$word" "$work/err"
    fi
    [ "$failed" = 0 ] || sed "s/^/    $name stderr: /" "$work/err"
    rm -rf "$data" && mv "$data.saved" "$data"
}

scenario intact ":" ""
scenario laser-missing "rm laser.wav" "laser.wav"
scenario explosion-empty ": > explosion.wav" "explosion.wav"
scenario laser-not-a-wave "echo 'not a sound' > laser.wav" "laser.wav"
scenario scene-malformed "echo '{\"size\": [800' > GameScene.scene.json" "GameScene.scene.json"
scenario scene-absurd "echo '{\"size\": [1e300, -4]}' > GameScene.scene.json" "GameScene.scene.json"
SDL_AUDIODRIVER=no-such-device scenario no-audio-device ":" "silently"
finish
