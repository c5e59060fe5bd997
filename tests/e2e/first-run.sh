#!/usr/bin/env bash
# The real game in a real X server, driven by real key and mouse events, checked by pixels:
#   first-run.sh BIN_DIR
# Starts and stops its own Xvfb on a free display. A failed check saves its screenshot.
set -uo pipefail
bin=$1
source "$(dirname "$0")/lib.sh"

score_and_hearts() { shot && [ "$(count 40 540 120 30 'r>0.9&&g>0.9&&b>0.9?1:0')" -gt 20 ] && [ "$(count 560 535 180 35 'r>0.8&&g<0.35&&b<0.35?1:0')" -gt 150 ]; }
changed_within() { # seconds: how many pixels change between two screenshots that far apart
    shot && cp "$work/shot.png" "$work/a.png" && sleep "$1" && shot &&
        compare -metric AE "$work/a.png" "$work/shot.png" null: 2>&1 | cut -d' ' -f1
}
stars_move() { [ "$(changed_within 0.3)" -gt 0 ]; }
still_between_shots() { [ "$(changed_within 0.4)" = 0 ]; }
paused_text() { shot && [ "$(count 150 290 500 60 'r>0.9&&g>0.9&&b<0.2?1:0')" -gt 200 ]; }

# A session bus of the test's own, with a screensaver on it that records what it is asked.
dbus-daemon --session --address="unix:path=$work/bus" --nofork >/dev/null 2>&1 &
services=$!
until_ok 10 test -S "$work/bus" || echo "FAILED: no session bus"
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/bus
/usr/bin/python3 - >"$work/inhibits" 2>&1 <<'SAVER' &
import dbus, dbus.service, dbus.mainloop.glib, os
from gi.repository import GLib
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
class Saver(dbus.service.Object):
    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="ss", out_signature="u")
    def Inhibit(self, app, why): print("Inhibit", app, flush=True); return 7
    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="u")
    def UnInhibit(self, cookie): print("UnInhibit", cookie, flush=True)
bus = dbus.bus.BusConnection(os.environ["DBUS_SESSION_BUS_ADDRESS"])
Saver(dbus.service.BusName("org.freedesktop.ScreenSaver", bus), "/org/freedesktop/ScreenSaver")
GLib.MainLoop().run()
SAVER
services="$services $!"
until_ok 10 eval 'dbus-send --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.GetNameOwner \
    string:org.freedesktop.ScreenSaver >/dev/null 2>&1' || echo "FAILED: no screensaver on the bus"
inhibits() { [ "$(grep -c "^$1" "$work/inhibits")" = "$2" ]; } # call count

# First run: the panel over moving stars, the score and three red hearts above it; the screen may
# blank behind it.
start "$bin/tarvenko"
check panel panel_shown
expect blanks-at-warning inhibits Inhibit 0
# A dock matches the window to the desktop entry by its class.
expect window-class grep -q '"org.tarvenko.Tarvenko", "org.tarvenko.Tarvenko"' <<<"$(xprop -id "$window" WM_CLASS)"
check hud score_and_hearts
check stars stars_move
# A click on the words "Devam Et" starts play.
click 400 188
check continue panel_gone
check ship ship_at 400
check awake-in-play inhibits 'Inhibit Tarvenko' 1
# Enemies fall where they will, and now and then three of them reach the ship before a stage of
# play is through. A stage that fails with the game over is played once more in a new game, so no
# check depends on where the enemies fell.
game_over_shown() { shot && [ "$(count 300 195 200 50 'g>0.6&&r<0.4&&b<0.4?1:0')" -gt 100 ]; }
stage() { # name function
    $2 && { verdict "$1" 0; return; }
    game_over_shown && echo "note: $1: the game ended under it; once more in a new game" && click 400 220 &&
        until_ok 5 ship_at 400 && $2
    verdict "$1" $? shot
}

# Both bounds.
bounds() {
    xdotool keydown Left; until_ok 5 ship_at 25; local left=$?; xdotool keyup Left
    xdotool keydown d; until_ok 5 ship_at 775; local right=$?; xdotool keyup d
    [ "$left" = 0 ] && [ "$right" = 0 ]
}
stage bounds bounds
# ESC pauses: the message in yellow, and nothing moving.
pausing() { xdotool key Escape; until_ok 5 paused_text && until_ok 5 still_between_shots; }
stage pause pausing
check blanks-paused inhibits 'UnInhibit 7' 1
# Ctrl+Q ends the process with status 0.
quit_game
expect close-status [ "$status" = 0 ]
expect quiet-stdout [ ! -s "$work/out" ]

# Session services that stopped answering hold nothing up: a PulseAudio stopped in play, a quit
# still within a second; a session bus stopped, the window after a second and one line.
within() { [ $((($(date +%s%N) - t0) / 1000000)) -lt "$1" ]; } # milliseconds since t0
HOME=$work pulseaudio -n --daemonize=no --exit-idle-time=-1 -L module-null-sink \
    -L "module-native-protocol-unix socket=$work/pulse auth-anonymous=1" >/dev/null 2>&1 &
services="$services $!"
until_ok 10 test -S "$work/pulse" || echo "FAILED: no PulseAudio"
SDL_AUDIODRIVER=pulseaudio PULSE_SERVER=unix:$work/pulse start "$bin/tarvenko"
check pulse-panel panel_shown
kill -STOP $services
t0=$(date +%s%N) && quit_game
expect pulse-stopped-quit eval 'within 1500 && [ "$status" = 0 ]'
t0=$(date +%s%N) && start "$bin/tarvenko"
expect bus-stopped-window eval 'within 5000 && [ -n "$window" ]'
expect bus-stopped-line one_line_saying "session bus unix:path=$work/bus does not answer within 1 s; going on without it"
quit_game
finish
