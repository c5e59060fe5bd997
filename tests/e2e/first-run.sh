#!/usr/bin/env bash
# The real game in a real X server, driven by real key and mouse events, checked by pixels:
#   first-run.sh BIN_DIR
# Starts and stops its own Xvfb on a free display. A failed check saves its screenshot.
set -uo pipefail
bin=$1
work=$(mktemp -d)
display=120
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
game=""
cleanup() {
    [ -n "$game" ] && kill "$game" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=":$display" SDL_AUDIODRIVER=dummy
passed=0 failed=0

until_ok() { # deadline_seconds command...: retries until the command succeeds
    local deadline=$(($(date +%s%N) + ${1%.*} * 1000000000)); shift
    while ! "$@"; do
        [ "$(date +%s%N)" -gt "$deadline" ] && return 1
        sleep 0.05
    done
}
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done

shot() { import -window "$window" "$work/shot.png" 2>/dev/null; }
# The pixel at scene point (x, y), y up, as "r g b".
pixel() { convert "$work/shot.png" -format "%[fx:int(255*p{$1,$((600 - $2))}.r)] %[fx:int(255*p{$1,$((600 - $2))}.g)] %[fx:int(255*p{$1,$((600 - $2))}.b)]" info: 2>/dev/null; }
# How many pixels of a scene rect (x, y = bottom-left, w, h) match an fx test.
count() { convert "$work/shot.png" -crop "$3x$4+$1+$((600 - $2 - $4))" +repage -fx "$5" -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null; }
near() { # "r g b" r g b tolerance
    local p=($1); local t=$5
    [ ${#p[@]} = 3 ] && [ $((p[0] - $2)) -le $t ] && [ $(($2 - p[0])) -le $t ] && [ $((p[1] - $3)) -le $t ] &&
        [ $(($3 - p[1])) -le $t ] && [ $((p[2] - $4)) -le $t ] && [ $(($4 - p[2])) -le $t ]
}
check() { # name command...
    local name=$1; shift
    if until_ok 5 "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        cp "$work/shot.png" "$PWD/e2e-failed-${name}.png" 2>/dev/null
        echo "FAILED: $name (screenshot e2e-failed-${name}.png)"
    fi
}

start() {
    "$bin/tarvenko" >"$work/out" 2>"$work/err" &
    game=$!
    window=""
    until_ok 10 eval 'window=$(xdotool search --onlyvisible --pid $game 2>/dev/null | head -1); [ -n "$window" ]'
}
click() { xdotool mousemove --window "$window" "$1" "$((600 - $2))" click 1; }

panel_shown() { shot && near "$(pixel 170 300)" 20 20 20 12; }
panel_gone() { shot && near "$(pixel 170 300)" 0 0 0 30 && ! near "$(pixel 170 300)" 20 20 20 3; }
score_and_hearts() { shot && [ "$(count 40 540 120 30 'r>0.9&&g>0.9&&b>0.9?1:0')" -gt 20 ] && [ "$(count 560 535 180 35 'r>0.8&&g<0.35&&b<0.35?1:0')" -gt 150 ]; }
stars_move() {
    shot && cp "$work/shot.png" "$work/a.png" && sleep 0.3 && shot &&
        [ "$(compare -metric AE "$work/a.png" "$work/shot.png" null: 2>&1 | cut -d' ' -f1)" -gt 0 ]
}
ship_at() { shot && near "$(pixel "$1" 110)" 255 255 255 30; }
laser_above() { shot && [ "$(count "$(($1 - 4))" 150 8 400 'r>0.9&&g<0.2&&b<0.2?1:0')" -gt 10 ]; }
paused_text() { shot && [ "$(count 150 290 500 60 'r>0.9&&g>0.9&&b<0.2?1:0')" -gt 200 ]; }
still_between_shots() {
    shot && cp "$work/shot.png" "$work/a.png" && sleep 0.4 && shot &&
        [ "$(compare -metric AE "$work/a.png" "$work/shot.png" null: 2>&1 | cut -d' ' -f1)" = 0 ]
}
no_paused_text() { shot && [ "$(count 150 290 500 60 'r>0.9&&g>0.9&&b<0.2?1:0')" -lt 20 ]; }

# First run: the panel over moving stars, the score and three red hearts above it.
start
check panel panel_shown
check hud score_and_hearts
check stars stars_move
# A click on the panel's text does nothing; one on the words "Devam Et" starts play.
click 400 260
sleep 0.3
check panel-stays panel_shown
click 400 188
check continue panel_gone
check ship ship_at 400
# Both bounds, then firing.
xdotool keydown Left; check left-bound ship_at 25; xdotool keyup Left
xdotool keydown d; check right-bound ship_at 775; xdotool keyup d
xdotool key space
check laser laser_above 775
# ESC pauses (the message in yellow, nothing moving) and resumes.
xdotool key Escape
check pause paused_text
check still still_between_shots
xdotool key Escape
check resume no_paused_text
check moving-again stars_move
# Closing the window ends the process with status 0.
"$bin/wm-close" "$window"
if until_ok 5 eval '! kill -0 $game 2>/dev/null'; then
    wait "$game"; status=$?
    if [ "$status" = 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: close (exit $status)"; fi
else
    failed=$((failed + 1)); echo "FAILED: close (still running)"
fi
game=""
# A second process shows the panel again: the warning is not remembered between runs.
start
check second-run panel_shown
kill "$game"; wait "$game" 2>/dev/null; game=""
if [ -s "$work/out" ]; then failed=$((failed + 1)); echo "FAILED: stdout not empty: $(head -c 200 "$work/out")"; fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
