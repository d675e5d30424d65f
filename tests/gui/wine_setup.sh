# Sourced by the Wine tests: `wine_setup PREFIX win32|win64` points Wine at
# PREFIX (32-bit for win32, 64-bit for win64), makes it on first use, and
# gives the programs a HOME of their own whose sound device is a null one,
# so that clips play without sound hardware. `wine_cleanup` ends the
# prefix's server with every program still running in it and removes HOME.

wine_setup() {
    export WINEPREFIX=$1 WINEDEBUG=-all
    # No installer dialogs for the .NET and HTML engines: nothing here needs them.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ "$2" = win32 ]; then
        export WINEARCH=win32
    else
        export WINEARCH=win64
    fi
    wine_home=$(mktemp -d)
    export HOME=$wine_home
    printf 'pcm.!default { type null }\n' >"$HOME/.asoundrc"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$(dirname "$WINEPREFIX")"
        wineboot --init >/dev/null 2>&1
    fi
    # A server left from making the prefix would keep another display.
    wineserver -w
}

wine_cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "${wine_home:-}" ] && rm -rf "$wine_home"
    wine_home=
}
