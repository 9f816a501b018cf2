#!/usr/bin/env bash
# The intro in a real window under Xvfb: two screenshots a second apart show the scene (bars, stars,
# title lines, scroller) and differ; the music is not silent; Escape ends it after the closing noise.
# Usage: intro_real_window.sh PATH/TO/intro_window OUTPUT_DIR
set -u
exe=$1
out=${2:-/tmp/intro-real-window}
mkdir -p "$out"
for tool in Xvfb xdotool import convert compare; do
    command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done

fail() { echo "FAIL: $*"; exit 1; }

for n in $(seq 121 150); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { disp=:$n; break; }
done
Xvfb "$disp" -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb=$!
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
export DISPLAY=$disp
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

rm -f "$out/audio.raw"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw" "$exe" >"$out/app.log" 2>&1 &
app=$!

# Past the release wait, the 1.5 s of opening noise and the scroll text's 66 leading spaces (8.4 s).
for _ in $(seq 50); do
    kill -0 "$app" 2>/dev/null || fail "the intro ended early: $(cat "$out/app.log")"
    xdotool search --name "Kestravon" >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 11
import -window root "$out/scene1.png"
sleep 1
import -window root "$out/scene2.png"

# The scene, not noise: mostly dark, many colours, bright highlights of the embossed letters. (The
# headless scene test checks each layer's pixels; here the real window shows it and it moves.)
for shot in scene1 scene2; do
    colours=$(convert "$out/$shot.png" -format "%k" info:)
    [ "$colours" -ge 64 ] || fail "$shot: only $colours colours"
    dark=$(convert "$out/$shot.png" -colorspace gray -threshold 30% -negate -format "%[fx:mean]" info:)
    awk -v d="$dark" 'BEGIN { exit !(d > 0.4) }' || fail "$shot: not the intro scene (dark share $dark)"
    bright=$(convert "$out/$shot.png" -colorspace gray -threshold 85% -format "%[fx:mean]" info:)
    awk -v w="$bright" 'BEGIN { exit !(w > 0.002) }' || fail "$shot: no letter highlights (bright share $bright)"
    echo "$shot: $colours colours, dark share $dark, bright share $bright"
done
diff=$(compare -metric AE "$out/scene1.png" "$out/scene2.png" null: 2>&1 | cut -d' ' -f1)
[ "${diff%.*}" -gt 10000 ] || fail "the scene did not move ($diff pixels differ)"
echo "moved: $diff pixels differ"

xdotool key Escape
code=""
for _ in $(seq 100); do
    if ! kill -0 "$app" 2>/dev/null; then wait "$app"; code=$?; app=""; break; fi
    sleep 0.1
done
[ -n "$code" ] || fail "Escape did not end the intro"
[ "$code" = 0 ] || fail "exit code $code after Escape"

# The music: 16-bit samples, not all silence.
[ -s "$out/audio.raw" ] || fail "no audio written"
loud=$(od -An -v -t d2 -w2 "$out/audio.raw" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > 1000) n++ } END { print n + 0 }')
[ "$loud" -gt 1000 ] || fail "the music is silent ($loud loud samples)"
echo "audio: $loud loud samples"
echo "intro real window: ok"
