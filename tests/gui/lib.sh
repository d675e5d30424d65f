# Shared steps of the real-window tests, sourced by each script (under
# with-xvfb): start the player in a scratch folder, find its window, close it
# as a window manager would and wait for the player to end.

gui_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT

# start_player PLAYER [ARGS...]: runs it in the scratch folder, its errors
# kept in $work/stderr.txt.
start_player() {
    cd "$work"
    "$@" 2>"$work/stderr.txt" &
    pid=$!
}

# find_window PATTERN: prints the id of the first visible window whose name
# matches, waiting up to 10 s for it.
find_window() {
    local id
    for _ in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# wait_for_main PATTERN: sets main, X, Y, WIDTH and HEIGHT for the player's
# main window, once it is drawn.
wait_for_main() {
    main=$(find_window "$1") || { echo "no main window called $1"; exit 1; }
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$main")"
}

# close_and_wait: closes the main window and returns the player's exit code;
# fails when the player does not end.
close_and_wait() {
    "$gui_here/close-window" "$main"
    for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "the player did not end after its window was closed"
        return 1
    fi
    local status=0
    wait "$pid" || status=$?
    pid=
    return $status
}
