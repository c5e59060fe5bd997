#!/usr/bin/env bash
# The game on an unlucky machine, where only the real process shows it: closed standard streams,
# a reader gone from stderr, and compositors that go away while the window opens or drop a
# stopped client: one line naming the display and status 1.
#   hostile.sh BUILD_DIR
set -uo pipefail
build=$1
game_bin=$build/bin/tarvenko
source "$(dirname "$0")/lib.sh"

mkdir -m 700 "$runtime"
# Closed streams become /dev/null, and the line said into a pipe whose reader left (no compositor
# there: trying X) kills nothing.
mkfifo "$work/fifo"
exec {reader}<>"$work/fifo"
XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=none "$game_bin" <&- >&- 2>"$work/fifo" &
game=$!
until_ok 5 test -e "/proc/$game/fd/2"
exec {reader}<&-
window_of --pid "$game"
expect fallback-window [ -n "$window" ]
expect streams-on-null [ "$(readlink "/proc/$game/fd/0") $(readlink "/proc/$game/fd/1")" = "/dev/null /dev/null" ]
quit_game
expect reader-gone-then-quit [ "$status" = 0 ]

lost() { # name, how long the game plays before its compositor goes, the line's words
    weston_up w 800 600
    [ "$1" = dropped ] && window_of --class "Weston Compositor"
    [ "$1" = opening ] && sleep 0.3
    env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=w "$game_bin" 2>"$work/err" &
    game=$!
    sleep "$2"
    if [ "$1" = dropped ]; then # a stopped client whose queue overflows
        kill -STOP "$game"
        moves=""
        for i in $(seq 1 3000); do moves="$moves mousemove --window $window $((i % 700 + 50)) $((i % 500 + 50))"; done
        xdotool $moves
        kill -CONT "$game"
    else
        { kill -KILL "$weston"; wait "$weston"; } 2>/dev/null
    fi
    ended
    expect "lost-$1" [ "$status" = 1 ] && expect "lost-$1-named" one_line_saying "$3"
    { kill "$weston"; wait "$weston"; } 2>/dev/null
    rm -f "$runtime/w" "$runtime/w.lock"
}
lost opening 0.02 "Wayland display w"
lost dropped 1 "lost the Wayland display w"
finish
