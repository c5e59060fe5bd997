#!/usr/bin/env bash
# The game on an unlucky machine: displays that close, stay silent or go away at any moment, a
# stopped client the compositor drops, closed standard streams, a reader that has gone, stray
# modifiers on the quit chord, F11 where no window manager runs. Never a crash, never a hang,
# never a silent end: one line naming the display and status 1 when it is lost.
#   hostile.sh BUILD_DIR
set -uo pipefail
build=$1
helpers=$build/bin
game_bin=$build/bin/tarvenko
source "$(dirname "$0")/lib.sh"

mkdir -m 700 "$runtime"
ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); }

"$helpers/fake-display" "$runtime/closing" close &
others="$others $!"
"$helpers/fake-display" "$runtime/silent" silent &
others="$others $!"
until_ok 5 test -S "$runtime/silent"

# A compositor socket that closes at once, and the X server's socket taken for a compositor.
run env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=closing
expect closing-status [ "$status" = 1 ] && expect closing-prompt [ "$took" -lt 1000 ]
expect closing-named one_line_saying "Wayland display closing"
run env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="/tmp/.X11-unix/X$display"
expect garbage-status [ "$status" = 1 ] && expect garbage-named one_line_saying "Wayland display /tmp/.X11-unix/X$display"
# One that never answers: named after the round trip's deadline, or ended at once by SIGTERM.
run env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=silent
expect silent-status [ "$status" = 1 ] && expect silent-deadline [ "$took" -lt 4000 ]
expect silent-named one_line_saying "Wayland display silent (no answer within 2 s)"
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=silent "$game_bin" 2>"$work/err" &
game=$!
sleep 0.3
started=$(date +%s%N)
kill -TERM "$game"
ended
expect term-while-waiting [ "$status" = 0 ] && expect term-prompt [ "$(ms_since "$started")" -lt 500 ]
# With an X display beside it the game says so once and plays there; the streams it found
# closed are /dev/null, and a reader gone from its stderr kills nothing.
mkfifo "$work/fifo"
exec {reader}<>"$work/fifo"
XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=silent "$game_bin" <&- >&- 2>"$work/fifo" &
game=$!
until_ok 5 test -e "/proc/$game/fd/2"
exec {reader}<&-
window=""
until_ok 10 eval 'window=$(xdotool search --onlyvisible --pid $game 2>/dev/null | head -1); [ -n "$window" ]'
expect fallback-window [ -n "$window" ]
expect streams-on-null [ "$(readlink "/proc/$game/fd/0") $(readlink "/proc/$game/fd/1")" = "/dev/null /dev/null" ]
# Ctrl with another modifier is not the quit chord; Ctrl+Q is.
xdotool key --window "$window" ctrl+shift+q ctrl+alt+q
sleep 0.3
expect stray-modifiers kill -0 "$game"
xdotool key --window "$window" ctrl+q
ended
expect reader-gone-then-quit [ "$status" = 0 ]

# F11 with no window manager: the game covers the screen itself and goes back; the field is
# drawn to the window's real size.
start "$game_bin"
geometry() { xwininfo -id "$window" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width/{w=$NF} /Height/{h=$NF} END{print x, y, w, h}'; }
xdotool key --window "$window" F11
check f11-fills eval '[ "$(geometry)" = "0 0 1024 768" ]'
# The last hearts sit right of where an unscaled field ends.
check f11-field-scaled eval 'shot && [ "$(convert "$work/shot.png" -crop 80x25+860+40 +repage -fx "r>0.8&&g<0.35&&b<0.35?1:0" -format "%[fx:int(mean*w*h+0.5)]" info:)" -gt 200 ]'
xdotool key --window "$window" F11
check f11-back eval '[ "$(geometry)" = "112 84 800 600" ]'
kill -TERM "$game"
ended
expect term-in-play [ "$status" = 0 ]

# Compositors that go away: while the window opens, in play, and by dropping a stopped client.
on_wayland() { env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=w "$game_bin" 2>"$work/err" & game=$!; }
lost() { # name, how long the game plays before its compositor is killed, the line's words
    weston_up w 800 600
    [ "$1" = dropped ] && until_ok 10 eval 'window=$(xdotool search --onlyvisible --class "Weston Compositor" | head -1); [ -n "$window" ]'
    [ "$1" = opening ] && sleep 0.3
    on_wayland
    sleep "$2"
    if [ "$1" = dropped ]; then
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
lost in-play 1 "lost the Wayland display w"
# A stopped client whose queue overflows is dropped by the compositor.
lost dropped 1 "lost the Wayland display w"
# Last, as it ends this test's X server: the X display goes away in play.
start "$game_bin"
sleep 0.5
{ kill -KILL "$xvfb"; wait "$xvfb"; } 2>/dev/null
ended
expect lost-x [ "$status" = 1 ] && expect lost-x-named one_line_saying "lost the X display :$display"
finish
