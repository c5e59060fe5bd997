#!/usr/bin/env bash
# The game natively on Wayland, with no X display of its own: weston runs nested in the test's X
# server (its x11 back end and pixman renderer give it an output and a seat, which xdotool's
# events reach through weston's window), and its kiosk shell shows the game fullscreen on a
# 1000 × 600 output, so the view is letterboxed 100 points in from either side. No GL stack is
# loaded for it.
#   wayland.sh BUILD_DIR
set -uo pipefail
build=$1
source "$(dirname "$0")/lib.sh"

weston_up tarvenko-test 1000 600
window_of --class "Weston Compositor"
ox=100

env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=tarvenko-test "$build/bin/tarvenko" >"$work/out" 2>"$work/err" &
game=$!
check panel panel_shown
check bars-black bar_black
# Its frames are shared memory: no GL stack is loaded for the window.
expect no-gl-stack eval '! grep -qE "libEGL|libGL|_dri\.so" /proc/$game/maps'
expect stand-in eval 'grep -q vulkan-stand-in /proc/$game/maps'
# A click on the words "Devam Et", through the letterbox, starts play; keys steer.
click 400 188
check continue panel_gone
check ship ship_at 400
xdotool keydown Right; check right-bound ship_at 775; xdotool keyup Right
# Ctrl+Q quits from play, with status 0.
xdotool key ctrl+q
status=255
ended
expect quit-status [ "$status" = 0 ]
expect quiet-stdout [ ! -s "$work/out" ]
expect quiet-stderr [ ! -s "$work/err" ]
[ -s "$work/err" ] && sed 's/^/    stderr: /' "$work/err"
finish
