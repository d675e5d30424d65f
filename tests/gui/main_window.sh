#!/usr/bin/env bash
# A real window: the player opens its main window, about 930 × 600 and
# centred, with the header and the question pane painted in their colours,
# and closing it ends the process with code 0 after saving the answers.
# Usage: main_window.sh PLAYER CAPTION [expect-message] (under with-xvfb).
# SHOT=file.png keeps a screenshot.
set -euo pipefail
player=$1
caption=$2
expect_message=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
"$player" &
pid=$!

find_window() {
    for _ in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# A player without a quiz says so first: answer the message box.
if [ -n "$expect_message" ]; then
    find_window '^Zorbe$' >/dev/null || { echo "no message box"; exit 1; }
    xdotool key Return
fi

main=$(find_window "$caption") || { echo "no main window called $caption"; exit 1; }
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")"
echo "main window: ${WIDTH}x${HEIGHT} at ${X},${Y}"
# Without a window manager the client area is the whole window: 930 × 600
# less the frame the player allows for.
[ "$WIDTH" -ge 900 ] && [ "$WIDTH" -le 940 ] || { echo "width $WIDTH is not about 930"; exit 1; }
[ "$HEIGHT" -ge 550 ] && [ "$HEIGHT" -le 600 ] || { echo "height $HEIGHT is not about 600"; exit 1; }
expected_x=$(( (1280 - 930) / 2 + 8 ))
[ "$X" -eq "$expected_x" ] || { echo "not centred: x $X, expected $expected_x"; exit 1; }

shot=${SHOT:-$work/shot.png}
import -window root "$shot"
pixel() { convert "$shot" -format "%[pixel:p{$(( X + $1 )),$(( Y + $2 ))}]" info:; }
header=$(pixel 8 24)
pane=$(pixel 300 $(( HEIGHT - 40 )))
echo "header $header, question pane $pane"
case "$header" in *"128,128,255"*) ;; *) echo "the header is not painted with its brush"; exit 1;; esac
case "$pane" in *"("*) ;; *) echo "no question pane"; exit 1;; esac

"$here/close-window" "$main"
for _ in $(seq 1 50); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
if kill -0 $pid 2>/dev/null; then
    echo "the player did not end after its window was closed"
    exit 1
fi
wait $pid
status=$?
pid=
[ -f "$(basename "$player").txt" ] || { echo "no progress file saved on closing"; exit 1; }
exit $status
