#!/usr/bin/env bash
# The installed game with a sound or scene file broken, without an audio device or sound card,
# without fonts: one clear line on stderr naming the cause, play goes on, nothing on stdout, a clean exit.
#   bad-resources.sh BUILD_DIR
set -uo pipefail
build=$1
source "$(dirname "$0")/lib.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAILED: install"; exit 1; }
data=$prefix/share/tarvenko

game_bin=$prefix/games/tarvenko
# scenario name, what breaks it, the words of its one stderr line. (A broken emitter file, read
# on every hit, is the stories' and the parser's to show: hits here would need luck.)
scenario() {
    local name=$1 breaks=$2 word=$3
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
    expect "$name-one-line-saying-$word" one_line_saying "$word"
    [ "$failed" = 0 ] || sed "s/^/    $name stderr: /" "$work/err"
    rm -rf "$data" && mv "$data.saved" "$data"
}
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
