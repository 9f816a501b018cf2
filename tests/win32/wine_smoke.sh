#!/usr/bin/env bash
# The Windows executable under Wine on an 800 x 600 Xvfb screen of the given depth: the intro shows
# its scene, Escape leads to the magazine (menu title and page text), a click on "> Letters To The
# Editor" changes the text window, Escape ends it with exit code 0.
# Sound: "pulse" runs a PulseAudio server with a null sink, whose recording must not be silent;
# "none" runs without a sound server, where the open fails, the two "Error" boxes of the tune's
# buffers are answered and the program goes on silent.
# Full screen takes the screen at the mode's size (Wine cannot switch Xvfb's mode), so the screen is
# the frame, pixel for pixel.
# Usage: wine_smoke.sh PATH/TO/kestravon.exe DEPTH pulse|none OUTPUT_DIR WINEPREFIX
set -u
exe=$1
depth=$2
sound=$3
out=$4
export WINEPREFIX=$5
mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.raw
for tool in Xvfb xdotool import convert compare wine wineserver pulseaudio parec sox; do
    command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done
[ -d "$WINEPREFIX/drive_c" ] || { echo "no Wine prefix at $WINEPREFIX"; exit 1; }

. "$(dirname "$0")/../e2e/screen_checks.sh"
started=$(date +%s.%N)

start_screen 131 170 800x600x"$depth"
app=""
pulse=""
recorder=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$recorder" ] && kill "$recorder" 2>/dev/null
    wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
    [ -n "$pulse" ] && kill "$pulse" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# No server unless one is started here: a user's own server must not decide the outcome.
export PULSE_RUNTIME_PATH="$out/pulse" PULSE_SERVER="unix:$out/pulse/native"
rm -rf "$out/pulse"
mkdir -p "$out/pulse"
if [ "$sound" = pulse ]; then
    HOME="$out/pulse" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        -L "module-null-sink sink_name=kv_null" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$out/pulse/native" >"$out/pulse.log" 2>&1 &
    pulse=$!
    for _ in $(seq 50); do [ -S "$out/pulse/native" ] && break; sleep 0.1; done
    [ -S "$out/pulse/native" ] || fail "the sound server did not start: $(cat "$out/pulse.log")"
    parec -d kv_null.monitor --format=s16le --rate=44100 --channels=2 --raw >"$out/audio.raw" 2>"$out/parec.log" &
    recorder=$!
fi

# A key held across several frames, as a hand presses it: a tap inside one message pump is lost, and
# a frame on Wine's software renderer can take a good part of a second (0.3 s was not always enough).
# An "Error" box takes a short press: a held key repeats into the next box.
press() {
    xdotool keydown "$1"
    sleep "${2:-0.8}"
    xdotool keyup "$1"
}
# Crops a frame rectangle (x, y, w, h) out of a screenshot.
crop() { convert "$1" -crop "$4x$5+$2+$3" +repage "$6"; }

# Without the server Wine would still find a machine's own sound card through ALSA or OSS.
[ "$sound" = none ] && export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winealsa.drv,wineoss.drv=d"
wine "$exe" >"$out/app.log" 2>&1 &
app=$!

for _ in $(seq 200); do
    kill -0 "$app" 2>/dev/null || fail "the program ended early: $(cat "$out/app.log")"
    xdotool search --name "Kestravon" >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 1
# Without sound the tune's two buffers cannot be prepared: each shows the "Error" box, answered here.
boxes=0
if [ "$sound" = none ]; then
    for _ in $(seq 100); do
        if xdotool search --name '^Error$' >/dev/null 2>&1; then
            boxes=$((boxes + 1))
            press Return 0.2
            sleep 0.5
            [ "$boxes" -ge 2 ] && break
        fi
        sleep 0.1
    done
    [ "$boxes" = 2 ] || fail "$boxes \"Error\" boxes without a sound server (want 2)"
fi
sleep 4
xdotool search --name '^Error$' >/dev/null 2>&1 && fail "an \"Error\" box is open"
import -window root "$out/intro1.png"
sleep 1
import -window root "$out/intro2.png"
for shot in intro1 intro2; do
    colours=$(convert "$out/$shot.png" -format "%k" info:)
    [ "$colours" -ge 64 ] || fail "$shot: only $colours colours"
    dark=$(convert "$out/$shot.png" -colorspace gray -threshold 30% -negate -format "%[fx:mean]" info:)
    above "$dark" 0.4 || fail "$shot: not the intro scene (dark share $dark)"
    echo "$shot: $colours colours, dark share $dark"
done
moved=$(differing "$out/intro1.png" "$out/intro2.png")
[ "$moved" -gt 10000 ] || fail "the intro scene did not move ($moved pixels differ)"
echo "intro: $moved pixels moved in a second"

# Escape: the closing noise (3 s), then the magazine.
press Escape
sleep 4.5
kill -0 "$app" 2>/dev/null || fail "the program ended after the intro: $(cat "$out/app.log")"
xdotool mousemove 5 590
sleep 1
import -window root "$out/first.png"
check_magazine_screen "$out/first.png"

# "> Letters To The Editor": left column, row 3 of the articles menu, held for a few frames.
xdotool mousemove 200 90
sleep 0.2
xdotool mousedown 1
sleep 0.15
xdotool mouseup 1
sleep 0.3
xdotool mousemove 5 590
sleep 4
import -window root "$out/letters.png"
crop "$out/letters.png" 30 200 730 360 "$out/text2.png"
changed=$(differing "$out/text1.png" "$out/text2.png")
[ "$changed" -gt 300 ] || fail "the text window did not change after the click ($changed pixels)"
echo "letters page: $changed pixels of the text window changed"

# Wine's asynchronous key state now and then misses a press in the magazine (never more than one in
# a row so far): a reader presses again, and so does the test, at most three times.
code=""
for presses in 1 2 3; do
    press Escape
    for _ in $(seq 25); do
        if ! kill -0 "$app" 2>/dev/null; then wait "$app"; code=$?; app=""; break; fi
        sleep 0.2
    done
    [ -n "$code" ] && break
done
[ -n "$code" ] || fail "Escape did not end the program"
echo "Escape ended it after $presses press(es)"
[ "$code" = 0 ] || fail "exit code $code after Escape"

if [ "$sound" = pulse ]; then
    sleep 0.5
    kill "$recorder" 2>/dev/null
    wait "$recorder" 2>/dev/null
    recorder=""
    [ -s "$out/audio.raw" ] || fail "nothing reached the sound server"
    rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$out/audio.raw" -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }')
    above "${rms:-0}" 0.001 || fail "the sound server heard silence (RMS ${rms:-none})"
    echo "audio: $(stat -c %s "$out/audio.raw") bytes at the null sink, RMS amplitude $rms"
fi
echo "wine smoke at $depth bits, sound $sound: ok in $(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s"
