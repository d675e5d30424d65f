#!/usr/bin/env bash
# Clips in a real window. Video: the play button of question 1 writes its
# clip file and the video shows inside the block's clip window, follows the
# pane as it scrolls, and the stop button ends it and removes the file.
# Audio: playing a clip, then another, keeps one clip file at a time, and
# stopping removes it; nothing needs a sound device. Closing the window
# then ends the player normally.
# Usage: clips.sh video|audio PLAYER (under with-xvfb). SHOT=file.png keeps
# the screenshot of the playing video.
set -euo pipefail
mode=$1
player=$2
source "$(dirname "$0")/lib.sh"
start_player "$player"
wait_for_main '^Combien de'

# Places in the main window's client area: the question pane at (5, 50)
# inside its border, question 1's block at x0 = 46.
pane_x=$(( X + 6 ))
pane_y=$(( Y + 51 ))
answer_top=5
[ "$mode" = video ] && answer_top=215
click_button() { # QUESTION play|stop
    local row=$answer_top
    [ "$2" = stop ] && row=$(( answer_top + 20 ))
    local column=$(( 46 + 290 * ($1 - 1) ))
    xdotool mousemove $(( pane_x + column + 10 )) $(( pane_y + row + 10 )) click 1
}
files() { find . -maxdepth 1 -name 'zorbe[0-9]*.*' -printf '%f ' | sort; }
wait_for_files() { # EXPECTED
    for _ in $(seq 1 30); do
        [ "$(files)" = "$1" ] && return 0
        sleep 0.1
    done
    echo "clip files: '$(files)', expected '$1'"
    return 1
}

shot=${SHOT:-$work/shot.png}
# The colour at x, y of the pane's client area, as "red green blue".
colour_at() {
    convert "$shot" -format "%[fx:round(255*p{$(( pane_x + $1 )),$(( pane_y + $2 ))}.r)] %[fx:round(255*p{$(( pane_x + $1 )),$(( pane_y + $2 ))}.g)] %[fx:round(255*p{$(( pane_x + $1 )),$(( pane_y + $2 ))}.b)]" info:
}
near() { # "R G B" R G B: each channel within 16
    read -r r g b <<<"$1"
    local d
    for d in $(( r - $2 )) $(( g - $3 )) $(( b - $4 )); do
        [ "${d#-}" -le 16 ] || return 1
    done
}

if [ "$mode" = video ]; then
    click_button 1 play
    wait_for_files "zorbe401.AVI " || exit 1
    sleep 1.5
    import -window root "$shot"
    # The clip's plain blue background fills the clip window's inside, the
    # yellow squares come on top, and the pane around stays the quiz's.
    inside=$(colour_at $(( 46 + 8 )) $(( 5 + 8 )))
    far_corner=$(colour_at $(( 46 + 250 )) $(( 5 + 190 )))
    square=$(colour_at $(( 46 + 1 + 56 + 14 )) $(( 5 + 1 + 36 + 14 )))
    outside=$(colour_at $(( 46 - 10 )) $(( 5 + 100 )))
    echo "clip window: $inside and $far_corner, a square $square; the pane beside it $outside"
    near "$inside" 30 120 200 && near "$far_corner" 30 120 200 ||
        { echo "the video does not fill the clip window"; exit 1; }
    near "$square" 250 210 40 || { echo "no square of the video's first second"; exit 1; }
    near "$outside" 90 95 150 || { echo "the video spills over the pane"; exit 1; }

    # Two wheel notches toward the user: the pane and the video move up 100.
    xdotool mousemove $(( pane_x + 600 )) $(( pane_y + 300 ))
    xdotool click 5
    sleep 0.1
    xdotool click 5
    sleep 0.5
    shot=$work/scrolled.png
    import -window root "$shot"
    # The clip window's lower part is now at 90 and what was at 120, its
    # middle, is the answer field below it.
    moved=$(colour_at 196 90)
    below=$(colour_at 196 120)
    echo "after scrolling: $moved inside the clip window, $below below it"
    near "$moved" 30 120 200 && ! near "$below" 30 120 200 ||
        { echo "the video did not follow the pane"; exit 1; }
    xdotool click 4
    sleep 0.1
    xdotool click 4
    sleep 0.5

    click_button 1 stop
    wait_for_files "" || { echo "stop did not remove the clip file"; exit 1; }
    sleep 0.3
    shot=$work/stopped.png
    import -window root "$shot"
    stopped=$(colour_at $(( 46 + 8 )) $(( 5 + 8 )))
    echo "after stop: $stopped"
    near "$stopped" 0 0 0 || { echo "the video is still shown after stop"; exit 1; }
else
    click_button 1 play
    wait_for_files "zorbe401.WAV " || exit 1
    sleep 0.5
    click_button 2 play
    wait_for_files "zorbe402.MP3 " || { echo "the first clip file was not replaced"; exit 1; }
    sleep 0.5
    click_button 3 stop
    wait_for_files "" || { echo "stop did not remove the clip file"; exit 1; }
    click_button 3 play
    wait_for_files "zorbe403.MP3 " || exit 1
fi

# Closing with a clip file about: the pane removes it as it closes.
[ "$mode" = audio ] || { click_button 1 play; wait_for_files "zorbe401.AVI " || exit 1; }
kill -0 $pid 2>/dev/null || { echo "the player ended"; cat "$work/stderr.txt"; exit 1; }
status=0
close_and_wait || status=$?
[ "$status" -eq 0 ] || { echo "the player ended with $status"; cat "$work/stderr.txt"; exit 1; }
wait_for_files "" || { echo "the clip file outlived the player"; exit 1; }
echo "ok"
