#!/usr/bin/env bash
# The reader's comforts with the real executable under Xvfb: --help, --version, a bad option and
# --text without any display; then --window: an 800 x 600 window, Tab and Enter open a page without
# the mouse, M silences the music while the note bars keep moving and brings it back, Alt+Enter goes
# full screen and back, Escape ends with exit code 0.
# Usage: real_window_comforts.sh PATH/TO/kestravon OUTPUT_DIR
set -u
exe=$1
out=${2:-/tmp/kestravon-real-window-comforts}
mkdir -p "$out"
for tool in Xvfb xdotool xwininfo import convert compare; do
    command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done

. "$(dirname "$0")/screen_checks.sh"

# ---- the command line, with no display at all ----
env -u DISPLAY "$exe" --version >"$out/version.txt" 2>&1 || fail "--version: exit code $?"
grep -q "^kestravon .*issue 31" "$out/version.txt" || fail "--version printed: $(cat "$out/version.txt")"
env -u DISPLAY "$exe" --help >"$out/help.txt" 2>&1 || fail "--help: exit code $?"
for word in --window --text Alt+Enter Tab; do
    grep -q -- "$word" "$out/help.txt" || fail "--help does not mention $word"
done
env -u DISPLAY "$exe" --no-such-thing >"$out/bad.txt" 2>&1
code=$?
[ "$code" = 2 ] || fail "exit code $code for an unknown option (want 2)"
[ "$(wc -l <"$out/bad.txt")" = 1 ] || fail "an unknown option should get one line: $(cat "$out/bad.txt")"
env -u DISPLAY SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/text-audio.raw" "$exe" --text 11 >"$out/page11.txt" 2>&1 ||
    fail "--text 11: exit code $?"
grep -q "THIS ISSUES EDITORIAL" "$out/page11.txt" || fail "--text 11 does not show the editorial"
[ ! -e "$out/text-audio.raw" ] || fail "--text 11 opened the sound device"
env -u DISPLAY "$exe" --text all >/dev/full 2>"$out/full-disk.txt"
code=$?
[ "$code" = 1 ] || fail "exit code $code when the text cannot be written (want 1)"
echo "command line: version, help, a bad option (2), --text 11 ($(wc -l <"$out/page11.txt") lines) ok"

# ---- the window ----
# A display number nobody uses (apart from the range the other real-window test takes).
start_screen 131 160 1024x768x24
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

size_of() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
# Crops a rectangle (x, y, w, h in frame pixels) out of a window shot (frame pixels 1:1).
crop() { convert "$1" -crop "$4x$5+$2+$3" +repage "$6"; }
# Loud 16-bit samples in the bytes of the disk audio file from offset $2 to $3.
loud_between() {
    tail -c +"$(($2 + 1))" "$1" | head -c "$(($3 - $2))" | od -An -v -t d2 -w2 |
        awk '{ v = $1 < 0 ? -$1 : $1; if (v > 500) n++ } END { print n + 0 }'
}
# M, half a second to settle, then the loud samples written in the next 1.5 s.
loud_after_m() {
    local from
    xdotool key m
    sleep 0.5
    from=$(stat -c %s "$audio")
    sleep 1.5
    loud_between "$audio" "$from" "$(stat -c %s "$audio")"
}

audio="$out/audio.raw"
rm -f "$audio"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" "$exe" --window >"$out/app.log" 2>&1 &
app=$!
wid=""
for _ in $(seq 100); do
    kill -0 "$app" 2>/dev/null || fail "the program ended early: $(cat "$out/app.log")"
    wid=$(xdotool search --name "Kestravon" 2>/dev/null | head -1)
    [ -n "$wid" ] && break
    sleep 0.1
done
[ -n "$wid" ] || fail "no window"
sleep 4
[ "$(size_of "$wid")" = 800x600 ] || fail "the window is $(size_of "$wid"), not 800x600"
xdotool getwindowgeometry "$wid" | tee "$out/geometry-window.txt"
import -window root "$out/intro-window.png"

# M in the intro, then again: the sound goes and comes back.
intro_quiet=$(loud_after_m)
intro_loud=$(loud_after_m)
[ "$intro_quiet" = 0 ] || fail "M in the intro left $intro_quiet loud samples"
[ "$intro_loud" -gt 1000 ] || fail "a second M in the intro did not bring the music back ($intro_loud loud samples)"
echo "intro: M silent (0 loud samples), M again $intro_loud loud samples"

xdotool key Escape
sleep 4.5
kill -0 "$app" 2>/dev/null || fail "the program ended after the intro: $(cat "$out/app.log")"
xdotool mousemove --window "$wid" 5 590
sleep 1
import -window "$wid" "$out/first.png"
crop "$out/first.png" 30 200 730 360 "$out/text1.png"

# Tab five times: the left buttons, then "> This Issues Editorial", then "> Credits For The Charts".
for _ in 1 2 3 4 5; do xdotool key Tab; sleep 0.1; done
sleep 0.3
import -window "$wid" "$out/highlight.png"
xdotool key Return
# The two wipes take 150 frames; on a busy machine longer. Wait until the text window holds still (only
# the rainbow rules cycling), at most 15 s.
sleep 2.5
import -window "$wid" "$out/credits.png"
crop "$out/credits.png" 30 200 730 360 "$out/text2.png"
for _ in $(seq 25); do
    sleep 0.6
    cp "$out/text2.png" "$out/text2-before.png"
    import -window "$wid" "$out/credits.png"
    crop "$out/credits.png" 30 200 730 360 "$out/text2.png"
    [ "$(differing "$out/text2-before.png" "$out/text2.png")" -lt 12000 ] && break
done
changed=$(differing "$out/text1.png" "$out/text2.png")
[ "$changed" -gt 300 ] || fail "Tab and Enter did not change the page ($changed pixels)"
echo "keyboard: Tab x5 and Enter changed $changed pixels of the text window"

# M in the magazine: silence while the note bars keep moving, then the music again.
# The bars follow the notes, and a tune has quieter stretches: the most they moved between any two of
# five shots 0.3 s apart counts.
xdotool key m
sleep 0.5
quiet_from=$(stat -c %s "$audio")
bars=0
for k in 1 2 3 4 5; do
    import -window "$wid" "$out/muted$k.png"
    crop "$out/muted$k.png" 157 137 480 11 "$out/bars$k.png"
    if [ "$k" -gt 1 ]; then
        moved=$(differing "$out/bars$((k - 1)).png" "$out/bars$k.png")
        [ "$moved" -gt "$bars" ] && bars=$moved
    fi
    sleep 0.3
done
quiet=$(loud_between "$audio" "$quiet_from" "$(stat -c %s "$audio")")
loud=$(loud_after_m)
[ "$quiet" = 0 ] || fail "M in the magazine left $quiet loud samples"
[ "$bars" -gt 50 ] || fail "the note bars stood still while muted ($bars pixels)"
[ "$loud" -gt 1000 ] || fail "a second M did not bring the music back ($loud loud samples)"
echo "magazine: M silent, bars moved ($bars pixels), M again $loud loud samples"

# Alt+Enter: full screen (the whole 1024 x 768 screen), then the window again.
xdotool key alt+Return
sleep 1.5
[ "$(size_of "$wid")" = 1024x768 ] || fail "Alt+Enter did not go full screen ($(size_of "$wid"))"
xdotool getwindowgeometry "$wid" | tee "$out/geometry-full.txt"
import -window root "$out/full.png"
kill -0 "$app" 2>/dev/null || fail "the program ended on Alt+Enter"
xdotool key alt+Return
sleep 1.5
[ "$(size_of "$wid")" = 800x600 ] || fail "a second Alt+Enter did not bring the window back ($(size_of "$wid"))"
import -window root "$out/window-again.png"
# The page chosen by keyboard is still open; only the rainbow rules have cycled on, far less than a
# change of page changes.
import -window "$wid" "$out/after.png"
crop "$out/after.png" 30 200 730 360 "$out/text3.png"
same=$(differing "$out/text2.png" "$out/text3.png")
[ "$same" -lt $((changed / 4)) ] || fail "the page changed across Alt+Enter ($same pixels, against $changed for a change of page)"
echo "Alt+Enter: 1024x768 full screen, then 800x600 again with the same page"

xdotool key Escape
wait_for_exit 50 0.2
[ -n "$code" ] || fail "Escape did not end the program"
[ "$code" = 0 ] || fail "exit code $code after Escape"
echo "real window comforts: ok"
