#!/usr/bin/env bash
# The Windows player in real windows, under Wine: a player without a quiz
# says so in a message box, then opens its main window, about 930 × 600 and
# centred, with the header and the question pane painted in their colours.
# An answer typed into the first field and confirmed with Enter is judged
# (its result label turns the success colour), Tab reaches the next field,
# F2 writes the progress file, the pointer is a hand over the link, and
# closing the window ends the process with code 0 after saving.
# Usage: wine_main_window.sh PLAYER.exe PREFIX win32|win64 CAPTION
#        [expect-message] (under with-xvfb). SHOT=file.png keeps the
#        screenshot taken after the answer was judged.
# The Wine prefix is made on first use (wine_setup.sh).
set -euo pipefail
player=$1
prefix=$2
arch=$3
caption=$4
expect_message=${5:-}
here=$(cd "$(dirname "$0")" && pwd)

. "$here/wine_setup.sh"
work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    wine_cleanup
    rm -rf "$work"
}
trap cleanup EXIT
wine_setup "$prefix" "$arch"

cd "$work"
wine "$player" &
pid=$!

find_window() {
    for _ in $(seq 1 150); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# A player without a quiz says so first: answer the message box. Keys reach
# the window under the pointer.
if [ -n "$expect_message" ]; then
    box=$(find_window '^Zorbe$') || { echo "no message box"; exit 1; }
    eval "$(xdotool getwindowgeometry --shell "$box")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + 5))
    sleep 0.3
    xdotool key Return
fi

main=$(find_window "$caption") || { echo "no main window called $caption"; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")"
echo "main window: ${WIDTH}x${HEIGHT} at ${X},${Y}"
# Without a window manager the X window is the client area: 930 × 600 less
# the frame Wine draws.
[ "$WIDTH" -ge 900 ] && [ "$WIDTH" -le 940 ] || { echo "width $WIDTH is not about 930"; exit 1; }
[ "$HEIGHT" -ge 550 ] && [ "$HEIGHT" -le 600 ] || { echo "height $HEIGHT is not about 600"; exit 1; }
centre_x=$((X + WIDTH / 2))
centre_y=$((Y + HEIGHT / 2))
[ "$centre_x" -ge 630 ] && [ "$centre_x" -le 650 ] || { echo "not centred: x $X"; exit 1; }
[ "$centre_y" -ge 500 ] && [ "$centre_y" -le 530 ] || { echo "not centred: y $Y"; exit 1; }

shot=$work/shot.png
import -window root "$shot"
pixel() { convert "$shot" -format "%[pixel:p{$1,$2}]" info:; }
# The header's client area is the one place painted in the header brush:
# its corner locates everything else.
box=$(convert "$shot" -fill black +opaque "srgb(128,128,255)" -format "%@" info:)
echo "header area: $box"
[[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || { echo "no header painted"; exit 1; }
header_w=${BASH_REMATCH[1]} header_h=${BASH_REMATCH[2]}
hx=${BASH_REMATCH[3]} hy=${BASH_REMATCH[4]}
[ "$header_h" -ge 45 ] && [ "$header_h" -le 49 ] || { echo "header height $header_h"; exit 1; }
[ "$header_w" -ge $((WIDTH - 20)) ] || { echo "header width $header_w"; exit 1; }
pane=$(pixel $((hx + 300)) $((hy + 200)))
echo "question pane $pane"
case "$pane" in *"51,102,255"*) ;; *) echo "the question pane is not painted with the quiz colour"; exit 1;; esac

# The first answer field and its result label, from the header's corner:
# the panes are 48 pixels apart and the first block starts 15 pixels down.
edit_x=$((hx + 46 + 100)) edit_y=$((hy + 63 + 10))
result_x=$((hx + 46 + 30)) result_y=$((hy + 82 + 10))
xdotool mousemove "$edit_x" "$edit_y"
sleep 0.2
xdotool click 1
sleep 0.2
xdotool type --delay 50 "test"
xdotool key Return
sleep 1
import -window root "$shot"
[ -n "${SHOT:-}" ] && cp "$shot" "$SHOT"
label=$(pixel "$result_x" "$result_y")
echo "result label $label"
case "$label" in *"0,255,0"*) ;; *) echo "the typed answer was not judged right"; exit 1;; esac

# Tab goes on to the next answer field (the dialog keys of the question
# pane), where the next answer is typed; the second block is one column of
# 290 pixels to the right.
xdotool key Tab
xdotool type --delay 50 "test"
xdotool key Return
sleep 1
import -window root "$shot"
label=$(pixel $((result_x + 290)) "$result_y")
echo "second result label $label"
case "$label" in *"0,255,0"*) ;; *) echo "Tab and the second answer failed"; exit 1;; esac

progress=$(basename "$player" .exe).txt
xdotool key F2
for _ in $(seq 1 30); do
    [ -f "$progress" ] && break
    sleep 0.1
done
[ -f "$progress" ] || { echo "F2 wrote no progress file"; exit 1; }
[ "$(head -n 2 "$progress" | tr -d '\r' | tr '\n' ' ')" = "test test " ] ||
    { echo "the progress file lacks the answers"; exit 1; }
rm -f "$progress"

# The hand (our cursor: 32 × 32, its hot spot at the finger's tip) over the
# link at the header's right, the arrow elsewhere.
point_at() {
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool mousemove $(($1 + 1)) "$2"
    sleep 0.3
}
point_at $((hx + header_w - 134 + 30)) $((hy + 8))
over_link=$("$here/pointer-shape")
point_at $((hx + header_w - 134 - 60)) $((hy + 8))
beside_link=$("$here/pointer-shape")
echo "pointer over the link: $over_link; beside it: $beside_link"
case "$over_link" in "32 32 4 0 "*) ;; *) echo "no hand over the link"; exit 1;; esac
[ "$beside_link" != "$over_link" ] || { echo "the hand is not the link's own"; exit 1; }

"$here/close-window" "$main"
for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "the player did not end after its window was closed"
    exit 1
fi
status=0
wait "$pid" || status=$?
pid=
[ -f "$progress" ] || { echo "no progress file saved on closing"; exit 1; }
exit $status
