#!/usr/bin/env bash
# The picture demo, longer than the window, in a real window: answering the
# first row and tabbing on makes the pane follow the reached field, the
# wheel brings the top back, and ticking "Cacher" hides the solved row and
# moves the rows below up by its height and its comment band; unticking puts
# everything back. Usage: hide_solved.sh PLAYER (under with-xvfb).
# SHOT_DIR=folder keeps the screenshots.
set -euo pipefail
player=$1
source "$(dirname "$0")/lib.sh"
start_player "$player"
wait_for_main "Drapeaux du monde"
shots=${SHOT_DIR:-$work}

shoot() { import -window root "$shots/$1.png"; }
# The colour of a pixel of the main window's client area, as "r,g,b".
pixel() {
    convert "$shots/$1.png" -format \
        "%[fx:int(255*p{$(( X + $2 )),$(( Y + $3 ))}.r)],%[fx:int(255*p{$(( X + $2 )),$(( Y + $3 ))}.g)],%[fx:int(255*p{$(( X + $2 )),$(( Y + $3 ))}.b)]" info:
}
count() {
    convert "$shots/$1.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -fill black \
        +opaque "$2" -fill white -opaque "$2" -format '%[fx:round(mean*w*h)]' info:
}

# The question pane's client area starts at (6, 51); the first row's answer
# fields at y 275 in it (the row is 260 high), the columns at x 46, 336, 626.
xdotool mousemove $(( X + 6 + 46 + 100 )) $(( Y + 51 + 275 + 10 )) click 1
sleep 0.2
for answer in France Suisse Japon; do
    xdotool type --delay 10 "$answer"
    xdotool key Tab
    sleep 0.2
done
# Tab reached the fourth field, in the second row below the window's edge.
xdotool type --delay 10 "Allemagne"
xdotool key Return
sleep 0.4
shoot followed
green=$(count followed "rgb(0,255,0)")
echo "after tabbing into the second row: $green success pixels"
[ "$green" -gt 300 ] || { echo "the pane did not follow the reached field"; exit 1; }

xdotool mousemove $(( X + 300 )) $(( Y + 300 ))
for _ in $(seq 1 20); do
    xdotool click 4
    sleep 0.03
done
sleep 0.3
shoot top
# The Swiss answer picture is back at the top of the second column.
top=$(pixel top 472 141)
echo "top of the second column, scrolled back: $top"

# "Cacher" sits at (W - 204, 0) of the header pane, whose client area starts
# at (6, 3).
xdotool mousemove $(( X + 6 + WIDTH - 11 - 2 - 204 + 8 )) $(( Y + 3 + 9 )) click 1
sleep 0.4
shoot hidden
hidden=$(pixel hidden 472 141)
echo "after ticking Cacher: $hidden"
# The first row closed up: the second row's tallest flag (Nepal, 260 high,
# in the second column) now has its top border where the first row's
# pictures were, 260 + 65 pixels higher: at y 90 of the pane.
border=$(pixel hidden 472 $(( 51 + 90 )))
[ "$border" = "0,0,0" ] || { echo "the second row did not move up (found $border)"; exit 1; }

xdotool click 1
sleep 0.4
shoot shown
shown=$(pixel shown 472 141)
echo "after unticking: $shown"
[ "$shown" = "$top" ] || { echo "unticking did not put the first row back"; exit 1; }

close_and_wait
