#!/usr/bin/env bash
# The real executable in a real window under Xvfb: the intro shows its scene (bars, stars, embossed
# lines) moving over audible music and Escape leads on to the magazine (a second, impatient Escape
# during the closing noise does not end it), whose first screen shows the menu title and page text, a
# quick click on "> Letters To The Editor" changes the text window, F2 changes the skin, Escape ends it
# with exit code 0 and the disk audio file shows that music played; the terminate signal ends it with
# 0; a video driver that cannot open, or no display at all, ends it with -1 (255 to the shell).
# Usage: real_window.sh PATH/TO/kestravon OUTPUT_DIR
set -u
exe=$1
out=${2:-/tmp/kestravon-real-window}
mkdir -p "$out"
for tool in Xvfb xdotool import convert compare sox; do
    command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done

. "$(dirname "$0")/screen_checks.sh"
start_screen 91 120 1024x768x24
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

# The 800 x 600 frame fills the 1024 x 768 screen: screen = frame x 1.28.
to_screen() { awk -v v="$1" 'BEGIN { printf "%d", v * 1.28 + 0.5 }'; }
# Crops a frame rectangle (x, y, w, h in frame pixels) out of a screenshot.
crop() {
    convert "$1" -crop "$(to_screen "$4")x$(to_screen "$5")+$(to_screen "$2")+$(to_screen "$3")" +repage "$6"
}

audio="$out/audio.raw"
rm -f "$audio"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" "$exe" >"$out/app.log" 2>&1 &
app=$!

# Wait until the window is there, then past the release wait and the 1.5 s of opening noise.
for _ in $(seq 100); do
    kill -0 "$app" 2>/dev/null || fail "the program ended early: $(cat "$out/app.log")"
    xdotool search --name "Kestravon" >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 4
import -window root "$out/intro1.png"
sleep 1
import -window root "$out/intro2.png"
# The intro scene, not noise: mostly dark, many colours, bright highlights of the embossed letters.
for shot in intro1 intro2; do
    colours=$(convert "$out/$shot.png" -format "%k" info:)
    [ "$colours" -ge 64 ] || fail "$shot: only $colours colours"
    dark=$(convert "$out/$shot.png" -colorspace gray -threshold 30% -negate -format "%[fx:mean]" info:)
    above "$dark" 0.4 || fail "$shot: not the intro scene (dark share $dark)"
    bright=$(convert "$out/$shot.png" -colorspace gray -threshold 85% -format "%[fx:mean]" info:)
    above "$bright" 0.002 || fail "$shot: no letter highlights (bright share $bright)"
    echo "$shot: $colours colours, dark share $dark, bright share $bright"
done
moved=$(differing "$out/intro1.png" "$out/intro2.png")
[ "$moved" -gt 10000 ] || fail "the intro scene did not move ($moved pixels differ)"
# The intro's tune: 16-bit mono samples so far, not all silence.
[ -s "$audio" ] || fail "no intro audio was written"
loud=$(od -An -v -t d2 -w2 "$audio" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > 1000) n++ } END { print n + 0 }')
[ "$loud" -gt 1000 ] || fail "the intro's music is silent ($loud loud samples)"
echo "intro: $moved pixels moved in a second, $loud loud samples"

# Escape: the closing noise (3 s), then the magazine. An impatient second Escape half a second later,
# during the noise, must not end the program.
xdotool key Escape
sleep 0.5
xdotool key Escape
sleep 4
kill -0 "$app" 2>/dev/null || fail "the program ended after the intro: $(cat "$out/app.log")"
# Park the pointer over the empty margin so that no hover tint changes what is compared.
xdotool mousemove "$(to_screen 5)" "$(to_screen 590)"
sleep 1
import -window root "$out/first.png"
check_magazine_screen "$out/first.png"

# "> Letters To The Editor": left column, row 3 of the articles menu. The page changes behind two wipes.
# A quick click, pressed and released between two samples of the button, as a touchpad's tap is.
xdotool mousemove "$(to_screen 200)" "$(to_screen 90)"
sleep 0.2
xdotool click 1
sleep 0.3
xdotool mousemove "$(to_screen 5)" "$(to_screen 590)"
sleep 4
import -window root "$out/letters.png"
crop "$out/letters.png" 30 200 730 360 "$out/text2.png"
changed=$(differing "$out/text1.png" "$out/text2.png")
[ "$changed" -gt 300 ] || fail "the text window did not change after the click ($changed pixels)"
echo "letters page: $changed pixels of the text window changed"

# F2: the 'Carbon' skin. The left margin beside the text window is skin picture only.
crop "$out/letters.png" 0 200 18 360 "$out/margin1.png"
xdotool key F2
sleep 1
import -window root "$out/carbon.png"
crop "$out/carbon.png" 0 200 18 360 "$out/margin2.png"
skin=$(differing "$out/margin1.png" "$out/margin2.png")
[ "$skin" -gt 500 ] || fail "F2 did not change the skin ($skin pixels)"
echo "skin: $skin margin pixels changed"

xdotool key Escape
wait_for_exit 50 0.2
[ -n "$code" ] || fail "Escape did not end the program"
[ "$code" = 0 ] || fail "exit code $code after Escape"

[ -s "$audio" ] || fail "no audio was written"
rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$audio" -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }')
above "${rms:-0}" 0.001 || fail "the audio is silent (RMS ${rms:-none})"
echo "audio: $(stat -c %s "$audio") bytes, RMS amplitude $rms"

# The terminate signal during the intro: the program ends promptly through its own shutdown.
SDL_AUDIODRIVER=dummy "$exe" >"$out/term.log" 2>&1 &
app=$!
for _ in $(seq 100); do
    xdotool search --name "Kestravon" >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 3
kill -TERM "$app"
wait_for_exit 20 0.1
[ -n "$code" ] || fail "the terminate signal did not end the program within 2 s"
[ "$code" = 0 ] || fail "exit code $code after the terminate signal"
echo "terminate signal: ended with 0"

SDL_VIDEODRIVER=nonexistent SDL_AUDIODRIVER=dummy "$exe" >"$out/fail.log" 2>&1
code=$?
[ "$code" = 255 ] || fail "exit code $code when the display cannot open (want 255)"
# No display at all (a console, an SSH session): SDL would fall back to its off-screen driver; the
# program must say why in one line and end at once with the same code, not wait unseen.
start=$(date +%s)
env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy timeout 20 "$exe" >"$out/nodisplay.log" 2>&1
code=$?
took=$(( $(date +%s) - start ))
[ "$code" = 255 ] || fail "exit code $code without a display (want 255): $(cat "$out/nodisplay.log")"
[ "$took" -le 5 ] || fail "without a display it took $took s to end"
grep -q "^kestravon: cannot open the 800 x 600 display: no display" "$out/nodisplay.log" ||
    fail "no reason given without a display: $(cat "$out/nodisplay.log")"
echo "no display: ended with 255 in $took s"
echo "real window: ok"
