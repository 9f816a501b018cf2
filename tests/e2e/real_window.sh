#!/usr/bin/env bash
# The real executable in a real window under Xvfb: it presents frames, the screen shows text, Escape ends
# it with exit code 0; a video driver that cannot open ends it with -1 (255 to the shell).
# Usage: real_window.sh PATH/TO/kestravon OUTPUT_DIR
set -u
exe=$1
out=${2:-/tmp/kestravon-real-window}
mkdir -p "$out"
for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done

fail() { echo "FAIL: $*"; exit 1; }

# A display number nobody uses.
for n in $(seq 91 120); do
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

SDL_AUDIODRIVER=dummy "$exe" >"$out/app.log" 2>&1 &
app=$!

# Wait until the window is there and something has been presented.
shown=0
for _ in $(seq 100); do
    kill -0 "$app" 2>/dev/null || fail "the program ended early: $(cat "$out/app.log")"
    if xdotool search --name "Kestravon" >/dev/null 2>&1; then
        import -window root "$out/screen.png" 2>/dev/null
        lit=$(convert "$out/screen.png" -colorspace gray -threshold 10% -format "%[fx:mean]" info: 2>/dev/null || echo 0)
        if awk -v m="$lit" 'BEGIN { exit !(m > 0.05) }'; then shown=1; break; fi
    fi
    sleep 0.2
done
[ "$shown" = 1 ] || fail "nothing was presented"
sleep 0.5
xdotool mousemove 512 384
sleep 0.3
import -window root "$out/screen.png"

# Not blank: many colours, and text in the top strip (bright, fine detail: many light-dark edges).
colours=$(convert "$out/screen.png" -format "%k" info:)
[ "$colours" -ge 64 ] || fail "only $colours colours on screen"
edges=$(convert "$out/screen.png" -crop 1024x60+0+0 +repage -colorspace gray -edge 1 -threshold 25% \
        -format "%[fx:mean]" info:)
awk -v e="$edges" 'BEGIN { exit !(e > 0.01) }' || fail "no text in the top strip (edge share $edges)"
echo "screen: $colours colours, top-strip edge share $edges"

xdotool key Escape
code=""
for _ in $(seq 50); do
    if ! kill -0 "$app" 2>/dev/null; then wait "$app"; code=$?; app=""; break; fi
    sleep 0.2
done
[ -n "$code" ] || fail "Escape did not end the program"
[ "$code" = 0 ] || fail "exit code $code after Escape"

SDL_VIDEODRIVER=nonexistent SDL_AUDIODRIVER=dummy "$exe" >"$out/fail.log" 2>&1
code=$?
[ "$code" = 255 ] || fail "exit code $code when the display cannot open (want 255)"
echo "real window: ok"
