#!/usr/bin/env bash
# The player opens its main window, about 930 pixels wide and centred, with
# the quiz title as caption, and closing it ends the process with code 0.
# Usage: main_window.sh PLAYER (run under with-xvfb).
set -euo pipefail
player=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill $pid 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
"$player" &
pid=$!

# A player without a quiz first says so; answer the message box.
find_window() {
    for _ in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
if box=$(find_window '^Zorbe$'); then
    xdotool windowactivate --sync "$box" 2>/dev/null || true
    xdotool key --window "$box" Return
fi

main=$(find_window 'zorbe') || { echo "no main window"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$main")"
echo "main window: ${WIDTH}x${HEIGHT} at ${X},${Y}"
[ "$WIDTH" -ge 900 ] && [ "$WIDTH" -le 940 ] || { echo "width $WIDTH is not about 930"; exit 1; }
[ "$HEIGHT" -ge 550 ] && [ "$HEIGHT" -le 600 ] || { echo "height $HEIGHT is not about 600"; exit 1; }
[ -n "${SHOT:-}" ] && import -window root "$SHOT"

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
