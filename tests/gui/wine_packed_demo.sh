#!/usr/bin/env bash
# A Windows player packed by zorbe-tool, under Wine: the demo quiz packed
# into a copy of the player opens its main window with the quiz's title,
# and its flags (PNG, JPEG, GIF and BMP pictures, read back from the
# executable's rebuilt resources) are drawn in the question pane.
# Usage: wine_packed_demo.sh TOOL PLAYER.exe PREFIX win32|win64 (under
#        with-xvfb). SHOT=file.png keeps the screenshot.
set -euo pipefail
tool=$1
player=$2
prefix=$3
arch=$4
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)

. "$here/wine_setup.sh"
work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    wine_cleanup
    rm -rf "$work"
}
trap cleanup EXIT

"$tool" pack "$source_dir/resources/demo/demo.toml" -o "$work/demo.exe" --player "$player"
"$tool" inspect "$work/demo.exe" | grep -q '"title": "Drapeaux du monde"' ||
    { echo "the packed player does not read back"; exit 1; }
wine_setup "$prefix" "$arch"

cd "$work"
wine "$work/demo.exe" &
pid=$!

main=
for _ in $(seq 1 150); do
    main=$(xdotool search --onlyvisible --name "Drapeaux du monde" 2>/dev/null | head -n 1 || true)
    [ -n "$main" ] && break
    sleep 0.1
done
[ -n "$main" ] || { echo "no main window called Drapeaux du monde"; exit 1; }
sleep 1.5

shot=${SHOT:-$work/shot.png}
import -window root "$shot"
# count R G B: how many pixels of the screen are about that colour.
count() {
    convert "$shot" -alpha off -fuzz 6% -fill black +opaque "rgb($1,$2,$3)" \
        -fill white -opaque "rgb($1,$2,$3)" -format "%[fx:int(mean*w*h+0.5)]" info:
}
failures=0
expect_colour() {
    local name=$1 minimum=$2 found
    found=$(count "$3" "$4" "$5")
    echo "$name: $found pixels"
    if [ "$found" -lt "$minimum" ]; then
        echo "$name: fewer than $minimum pixels: the picture is not shown"
        failures=$((failures + 1))
    fi
}
expect_colour "French blue" 2000 0 35 149
expect_colour "Swiss red" 2000 213 43 30
expect_colour "Japanese disc" 500 188 0 45
[ "$failures" -eq 0 ] || exit 1

"$here/close-window" "$main"
for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
status=0
wait "$pid" || status=$?
pid=
exit $status
