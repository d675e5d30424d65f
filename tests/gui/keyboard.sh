#!/usr/bin/env bash
# The answer fields' keyboard in a real window: Enter judges, Tab moves on
# and the pane follows the reached field, the wheel scrolls, F2 saves.
# Usage: keyboard.sh ZORBE-TOOL PLAYER (under with-xvfb). SHOT=file.png keeps
# the last screenshot.
set -euo pipefail
tool=$1
player=$2
source "$(dirname "$0")/lib.sh"
cd "$work"
"$tool" pack "$gui_here/long-list.toml" -o "$work/longlist" --player "$player" >/dev/null
start_player "$work/longlist"
wait_for_main "Trente questions"

shot=${SHOT:-$work/shot.png}
# Pixels of one colour inside the main window.
count() {
    import -window root "$shot"
    convert "$shot" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -fill black +opaque "$1" \
        -fill white -opaque "$1" -format '%[fx:round(mean*w*h)]' info:
}

# The first answer field: pane at (5, 50), its border, the field at (610, 5).
xdotool mousemove $(( X + 5 + 1 + 620 )) $(( Y + 50 + 1 + 15 )) click 1
sleep 0.2
xdotool type --delay 10 "reponse1"
xdotool key Return
sleep 0.3
green=$(count "rgb(0,255,0)")
echo "green after Enter: $green"
[ "$green" -gt 500 ] || { echo "Enter did not judge the answer BRAVO"; exit 1; }

# Tab to the 25th field, far below the window's bottom, and answer wrongly.
for _ in $(seq 1 24); do
    xdotool key Tab
    sleep 0.05
done
xdotool type --delay 10 "nimporte"
xdotool key Return
sleep 0.3
red=$(count "rgb(255,0,0)")
green=$(count "rgb(0,255,0)")
echo "after Tab to 25: red $red, green $green"
[ "$red" -gt 500 ] || { echo "the pane did not follow the reached field"; exit 1; }
[ "$green" -lt 100 ] || { echo "the first row should have scrolled out of view"; exit 1; }

# Back up with the wheel: 50 pixels a notch.
xdotool mousemove $(( X + 300 )) $(( Y + 200 ))
for _ in $(seq 1 30); do
    xdotool click 4
    sleep 0.03
done
sleep 0.3
green=$(count "rgb(0,255,0)")
echo "after the wheel: green $green"
[ "$green" -gt 500 ] || { echo "the wheel did not bring the first row back"; exit 1; }

xdotool key F2
sleep 0.3
saved=$(sed -n '1p;25p' longlist.txt | tr -d '\r' | tr '\n' ' ')
echo "saved: $saved"
[ "$saved" = "reponse1 nimporte " ] || { echo "F2 did not save the answers"; exit 1; }

close_and_wait
