# Shared by the end-to-end tests: a private X server, waiting with deadlines, screenshots probed
# by pixel in scene points (y up), and a game process to start and stop.
work=$(mktemp -d)
# The server picks a free display itself and names it once it accepts connections, so two test
# runs never race for one number. No reset when the last client leaves: a game started just then
# would find no server to connect to.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/displayfd" >/dev/null 2>"$work/xvfb.log" &
xvfb=$!
read -r -t 10 display <"$work/displayfd" || { echo "FAILED: no X server"; kill "$xvfb"; rm -rf "$work"; exit 1; }
game=""
cleanup() {
    [ -n "$game" ] && kill "$game" 2>/dev/null
    [ -n "${weston:-}" ] && kill "$weston" 2>/dev/null
    [ -n "${services:-}" ] && kill -CONT $services 2>/dev/null && kill $services 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=":$display" SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$work/config # the player's own choices stay out of it
passed=0 failed=0

until_ok() { # deadline_seconds command...: retries until the command succeeds
    local deadline=$(($(date +%s%N) + ${1%.*} * 1000000000)); shift
    while ! "$@"; do
        [ "$(date +%s%N)" -gt "$deadline" ] && return 1
        sleep 0.05
    done
}

shot() { [ -n "$window" ] && import -window "$window" "$work/shot.png" 2>/dev/null; } # no window: no waiting for a pick
# Where the scene's left edge sits in the window's pixels (a letterboxed view sits further in).
ox=0
# The pixel at scene point (x, y) as "r g b".
pixel() { local x=$(($1 + ox)); convert "$work/shot.png" -format "%[fx:int(255*p{$x,$((600 - $2))}.r)] %[fx:int(255*p{$x,$((600 - $2))}.g)] %[fx:int(255*p{$x,$((600 - $2))}.b)]" info: 2>/dev/null; }
# How many pixels of a scene rect (x, y = its bottom-left, w, h) pass an fx test.
count() { convert "$work/shot.png" -crop "$3x$4+$(($1 + ox))+$((600 - $2 - $4))" +repage -fx "$5" -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null; }
near() { # "r g b" r g b tolerance
    awk -v p="$1" -v q="$2 $3 $4" -v t="$5" 'BEGIN { n = split(p, a); split(q, b)
        for (i = 1; i <= 3; i++) if (n != 3 || a[i] - b[i] > t || b[i] - a[i] > t) exit 1 }'
}
verdict() { # name status [shot]: counts a check; a failed one with a screenshot keeps it
    if [ "$2" = 0 ]; then passed=$((passed + 1)); return; fi
    failed=$((failed + 1))
    [ -n "${3:-}" ] && cp "$work/shot.png" "$PWD/e2e-failed-$1.png" 2>/dev/null && echo "FAILED: $1 (screenshot e2e-failed-$1.png)" ||
        echo "FAILED: $1"
}
check() { local name=$1; shift; until_ok 5 "$@"; verdict "$name" $? shot; } # passes within 5 s
expect() { local name=$1; shift; "$@"; verdict "$name" $?; } # passes now

window_of() { # xdotool search terms: waits up to 10 s for a visible window that matches, into $window
    local terms=("$@")
    window=""
    until_ok 10 eval 'window=$(xdotool search --onlyvisible "${terms[@]}" 2>/dev/null | head -1); [ -n "$window" ]'
}
start() { # binary: starts the game, waits for its window
    "$1" >"$work/out" 2>"$work/err" &
    game=$!
    window_of --pid "$game" || echo "no window from $1: $(head -c 300 "$work/err" | tr "\n" " ")"
}
click() { xdotool mousemove --window "$window" "$(($1 + ox))" "$((600 - $2))" click 1; }
quit_game() { # Ctrl+Q, as a player quits; the exit status is in $status
    xdotool mousemove --window "$window" 400 300 key ctrl+q
    status=255
    ended
}

one_line_saying() { [ "$(wc -l <"$work/err")" = 1 ] && grep -q -- "$1" "$work/err"; }
ended() { until_ok 5 eval '! kill -0 $game 2>/dev/null' && { wait "$game"; status=$?; game=""; }; }
# A weston of the test's own, nested in its X server: socket NAME in $runtime, an output W × H.
weston_up() {
    mkdir -p -m 700 "$runtime"
    XDG_RUNTIME_DIR=$runtime weston --backend=x11-backend.so --use-pixman --shell=kiosk-shell.so --width="$2" \
        --height="$3" --socket="$1" --idle-time=0 >"$work/weston.log" 2>&1 &
    weston=$!
    until_ok 10 test -S "$runtime/$1" || { echo "FAILED: weston did not start"; tail -5 "$work/weston.log"; exit 1; }
}
runtime=$work/runtime

panel_shown() { shot && near "$(pixel 170 300)" 20 20 20 12; }
panel_gone() { shot && near "$(pixel 170 300)" 0 0 0 30 && ! near "$(pixel 170 300)" 20 20 20 3; }
bar_black() { shot && near "$(pixel $((50 - ox)) 300)" 0 0 0 0; } # at x = 50 in the window
ship_at() { shot && near "$(pixel "$1" 110)" 255 255 255 30; }
finish() { echo "$passed passed, $failed failed"; [ "$failed" = 0 ]; }
