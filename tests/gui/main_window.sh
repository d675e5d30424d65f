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
source "$(dirname "$0")/lib.sh"
start_player "$player"

# A player without a quiz says so first: answer the message box.
if [ -n "$expect_message" ]; then
    find_window '^Zorbe$' >/dev/null || { echo "no message box"; exit 1; }
    xdotool key Return
fi

wait_for_main "$caption"
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

close_and_wait
[ -f "$(basename "$player").txt" ] || { echo "no progress file saved on closing"; exit 1; }
