#!/usr/bin/env bash
# The demo: the reference host runs samples/diskspace.qn under the debugger.
#
#   scripts/demo.sh            interactive when a display is there, else the tour
#   scripts/demo.sh --tour     the tour in any case
#
# On a fresh Debian 12 machine it first installs what is missing
# (scripts/bootstrap.sh) and builds QNDBGC.DLL and qnrun.exe (preset win64).
# With a display (DISPLAY names a server that answers), qnrun.exe --debug
# opens the debugger there, in the tests' private Wine prefix. Without one, a
# headless X server is started and the tour samples/diskspace.tour is played
# inside a Wine virtual desktop (so that windows have their frames and
# captions): it stops at the first statement, steps, steps into a function,
# watches two variables, sets a breakpoint, goes to it, changes a variable,
# steps and exits, saving a PNG
# of the screen at each stop into build/demo/tour/, which it names at the end.
set -u -o pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1

tour=
[[ ${1:-} == --tour ]] && tour=1

"$root/scripts/bootstrap.sh" || exit 1
cmake --preset win64 >/dev/null && cmake --build --preset win64 --target QNDBGC qnrun || exit 1

# shellcheck source-path=SCRIPTDIR source=wine-env.sh
source "$root/scripts/wine-env.sh"

if [[ -z $tour && -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
  export QN_DISPLAY=$DISPLAY
  qn_wine_start "$root/build/win64" || exit 1
  mkdir -p "$root/build/demo/out"
  echo "demo: the debugger opens on samples/diskspace.qn; Step, StepInto, Go, Break... (README: Walkthrough)"
  wine "$root/build/win64/bin/qnrun.exe" --debug --sandbox "$root/build/demo/out" "$root/samples/diskspace.qn"
  exit $?
fi

unset QN_DISPLAY
qn_wine_start "$root/build/win64" || exit 1
shots=$root/build/demo/tour
rm -rf "$shots"
mkdir -p "$shots"
log=$root/build/demo/tour.log
echo "demo: no display; playing samples/diskspace.tour on a headless X server ($DISPLAY)"
# explorer runs qnrun.exe inside a virtual desktop of 1024x768 and hands its
# output through, but not its exit code: the transcript tells how it went.
mkdir -p "$root/build/demo/out"
wine explorer /desktop=QuendleDemo,1024x768 "$root/build/win64/bin/qnrun.exe" --debug --stdout-messages \
  --no-delay --sandbox "$(winepath -w "$root/build/demo/out")" --session "$(winepath -w "$root/samples/diskspace.tour")" --shots "$(winepath -w "$shots")" \
  "$(winepath -w "$root/samples/diskspace.qn")" 2>&1 | tee "$log"
qn_wine_stop

for bitmap in "$shots"/*.bmp; do
  [[ -f $bitmap ]] && convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
done
count=$(find "$shots" -name '*.png' | wc -l)
if grep -q "FAILED" "$log" || ((count == 0)); then
  echo "demo: the tour did not go as planned (transcript: $log)" >&2
  exit 1
fi
echo "demo: $count screenshots of the tour in $shots"
