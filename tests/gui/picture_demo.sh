#!/usr/bin/env bash
# The picture demo in a real window: the first row's flags are drawn in
# their 260-pixel boxes, each centred, the row as tall as its tallest flag
# (the square one) and the others' tops level; solving the first question
# puts its answer picture (the flag with its name on a pale band) in place.
# Usage: picture_demo.sh PLAYER (under with-xvfb). SHOT=file.png and
# SOLVED_SHOT=file.png keep the screenshots before and after answering.
set -euo pipefail
player=$1
source "$(dirname "$0")/lib.sh"
start_player "$player"
wait_for_main "Drapeaux du monde"

failures=0
# expect NAME X Y R G B [TOLERANCE]: the pixel at (X, Y) of the client area
# is about that colour.
expect() {
    local name=$1 x=$2 y=$3 r=$4 g=$5 b=$6 tolerance=${7:-24}
    local pixel
    pixel=$(convert "$shot" -format "%[fx:int(255*p{$(( X + x )),$(( Y + y ))}.r)],%[fx:int(255*p{$(( X + x )),$(( Y + y ))}.g)],%[fx:int(255*p{$(( X + x )),$(( Y + y ))}.b)]" info:)
    IFS=, read -r pr pg pb <<<"$pixel"
    local d
    for d in $(( pr - r )) $(( pg - g )) $(( pb - b )); do
        if [ "${d#-}" -gt "$tolerance" ]; then
            echo "$name at $x,$y: ($pixel), expected about ($r,$g,$b)"
            failures=$(( failures + 1 ))
            return
        fi
    done
}

# The question pane's client area starts at (6, 51) of the main window's;
# the boxes of the first row at x 46, 336 and 626 in it, the row at y 5.
shot=${SHOT:-$work/shot.png}
import -window root "$shot"
background=(90 95 150)
expect "pane background" 30 400 "${background[@]}" 0
# Switzerland, square: 260 × 260 from the row's top.
expect "Swiss border, top" 472 56 0 0 0 0
expect "above Switzerland" 472 55 "${background[@]}" 0
expect "Swiss border, bottom" 472 315 0 0 0 0
expect "Swiss red" 352 66 213 43 30
expect "Swiss cross" 472 186 255 255 255
# France, 300 × 200 reduced to 260 × 173, centred: 43 pixels lower.
expect "above France" 95 97 "${background[@]}" 0
expect "France border, top" 95 99 0 0 0 0
expect "France border, left" 52 185 0 0 0 0
expect "France border, right" 311 185 0 0 0 0
expect "France border, bottom" 95 271 0 0 0 0
expect "French blue" 95 185 0 35 149
expect "French red" 268 185 237 41 57
expect "French blue, low" 95 262 0 35 149
# Japan, 150 × 100 enlarged to 260 × 173: level with France.
expect "above Japan" 762 98 "${background[@]}" 0
expect "Japan border, top" 762 99 0 0 0 0
expect "Japanese disc" 762 185 188 0 45
expect "Japanese white" 642 109 255 255 255

# Answer the first question: its flag gains a pale band with its name.
xdotool mousemove $(( X + 182 )) $(( Y + 336 )) click 1
sleep 0.2
xdotool type --delay 20 "France"
xdotool key Return
sleep 0.5
shot=${SOLVED_SHOT:-$work/solved.png}
import -window root "$shot"
expect "French blue under the band" 95 262 217 222 239 30
expect "French blue above the band" 95 185 0 35 149

close_and_wait
[ "$failures" -eq 0 ] || { echo "$failures pictures not as expected"; exit 1; }
echo "pictures shown, centred and level; the answer picture replaced the question's"
