#!/usr/bin/env bash
# Runs a Windows program under Wine (see wine_setup.sh), in a directory of
# its own that is removed afterwards, and ends with the program's status.
# Usage: wine_run.sh PREFIX win32|win64 PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_setup.sh"
prefix=$1
arch=$2
shift 2
work=$(mktemp -d)
trap 'wine_cleanup; rm -rf "$work"' EXIT
wine_setup "$prefix" "$arch"
cd "$work"
status=0
wine "$@" || status=$?
exit $status
