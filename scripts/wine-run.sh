#!/usr/bin/env bash
# wine-run.sh <command...>: runs a command in the tests' Wine set-up (private
# prefix, Xvfb unless QN_DISPLAY names a display, persistent wineserver),
# stopped again afterwards. For example:
#   scripts/wine-run.sh ctest --preset win64 -R Font
#   scripts/wine-run.sh wine build/win64/bin/wine_FontTest.exe --gtest_filter='*Arial*'
set -u
# shellcheck source-path=SCRIPTDIR source=wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
qn_wine_start "$qn_wine_root/build/win64" || exit 1
"$@"
