#!/usr/bin/env bash
# Runs a Windows program under Wine and exits with its exit code:
#   scripts/wine-exec.sh program.exe [arguments...]
# Uses the prefix and display the caller prepared (see wine-env.sh) when WINEPREFIX
# and DISPLAY are set; otherwise creates the prefix and starts a private Xvfb that
# is stopped again when the program ends.
set -u
[ $# -ge 1 ] || { echo "usage: $0 program.exe [arguments...]" >&2; exit 2; }
# shellcheck source=scripts/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

trova_wine_vars
trova_wine_display || exit 1
TROVA_WINE_FRESH=0 trova_wine_prefix || exit 1
trova_wine_cleanup_on_exit

"$WINE" "$@"
rc=$?
exit $rc
