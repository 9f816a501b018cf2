# Shared by the real-window and Wine smoke tests (sourced): a private Xvfb screen and the checks made
# on screenshots. A script that sources this defines crop (its screen's scale) and out (its folder).

fail() { echo "FAIL: $*"; exit 1; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
# Share of a picture's pixels on a light-dark edge: text shows as many edges.
edge_share() { convert "$1" -colorspace gray -edge 1 -threshold 25% -format "%[fx:mean]" info:; }
# Number of pixels that differ between two pictures of the same size.
differing() { compare -metric AE "$1" "$2" null: 2>&1 | awk '{ printf "%d", $1 }'; }

# start_screen FIRST LAST GEOMETRY: Xvfb on the first free display number in FIRST..LAST (the tests
# that may run together take different ranges), DISPLAY exported, xvfb its process, ready to answer.
start_screen() {
    disp=""
    for n in $(seq "$1" "$2"); do
        [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { disp=:$n; break; }
    done
    [ -n "$disp" ] || fail "no free display number in $1..$2"
    Xvfb "$disp" -screen 0 "$3" -nolisten tcp >"$out/xvfb.log" 2>&1 &
    xvfb=$!
    export DISPLAY=$disp
    for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
}

# check_magazine_screen SHOT: the magazine's first screen shows many colours, the menu title and page
# text; leaves the text window's crop in $out/text1.png.
check_magazine_screen() {
    local colours title text
    colours=$(convert "$1" -format "%k" info:)
    [ "$colours" -ge 64 ] || fail "only $colours colours on screen"
    crop "$1" 300 40 210 16 "$out/title.png"
    title=$(edge_share "$out/title.png")
    above "$title" 0.05 || fail "no menu title (edge share $title)"
    crop "$1" 30 200 730 360 "$out/text1.png"
    text=$(edge_share "$out/text1.png")
    above "$text" 0.02 || fail "no page text (edge share $text)"
    echo "first screen: $colours colours, title edges $title, text edges $text"
}

# wait_for_exit TRIES PAUSE: waits up to TRIES x PAUSE seconds for the program $app to end; code is its
# exit status (empty if it is still running) and app is cleared once it has ended.
wait_for_exit() {
    code=""
    for _ in $(seq "$1"); do
        if ! kill -0 "$app" 2>/dev/null; then wait "$app"; code=$?; app=""; break; fi
        sleep "$2"
    done
}
