#!/usr/bin/env bash
# The one command that runs every test, also on a fresh Debian 12 machine:
#
#   1. installs the missing Debian packages (scripts/bootstrap.sh);
#   2. builds the presets native, win64 and win32 (and fuzz and bench when
#      those folders have targets);
#   3. runs the native tests (AddressSanitizer, UndefinedBehaviorSanitizer);
#   4. checks the exports and imports of QNDBGC.DLL, x86_64 and i686;
#   5. runs the win64 tests under Wine on a headless X server, with the
#      private prefix and a persistent wineserver (scripts/wine-env.sh);
#   6. runs the end-to-end tests there too: the reference host engine runs
#      the samples under the real QNDBGC.DLL, worked through its windows;
#   7. runs each fuzz target for QN_FUZZ_SECONDS (60) from its corpus.
#
# Every stage runs even when an earlier one failed (a stage whose build
# failed is skipped and counts as failed); the summary at the end names what
# failed, and the exit code is non-zero when anything did. Each stage's
# output is also kept in build/logs/<stage>.log.
set -u -o pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
logs=$root/build/logs
rm -rf "$logs"
mkdir -p "$logs"
fuzz_seconds=${QN_FUZZ_SECONDS:-60}

stage_lines=()
failed_stages=()
checks_passed=0
checks_failed=0

# record <name> <label> <seconds> <checks passed> <checks failed>
# A stage whose label does not start with "passed" has failed.
record() {
  stage_lines+=("$(printf '  %-20s %-24s %5ss' "$1" "$2" "$3")")
  [[ $2 == passed* ]] || failed_stages+=("$1")
  checks_passed=$((checks_passed + $4))
  checks_failed=$((checks_failed + $5))
}

# run_stage <build|check|ctest> <name> <command...>
# Checks counted: a build only when it fails, a check once either way, a
# ctest run its tests (one failure when it failed without running any).
run_stage() {
  local kind=$1 name=$2
  shift 2
  local start=$SECONDS log=$logs/${name// /-}.log
  echo
  echo "=== $name"
  "$@" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  local seconds=$((SECONDS - start)) label=passed passed=0 failed=0
  ((status == 0)) || label=FAILED
  case $kind in
    build) ((status == 0)) || failed=1 ;;
    check) ((status == 0)) && passed=1 || failed=1 ;;
    ctest)
      # "100% tests passed, 0 tests failed out of 7"
      local summary
      summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
      if [[ -n $summary ]]; then
        failed=$(awk '{ print $4 }' <<<"$summary")
        passed=$(($(awk '{ print $NF }' <<<"$summary") - failed))
      elif ((status == 0)); then
        label="passed, no tests yet"
      fi
      ((status == 0 || failed > 0)) || failed=1
      ;;
  esac
  record "$name" "$label" "$seconds" "$passed" "$failed"
  echo "=== $name: $label in ${seconds}s"
  return "$status"
}

# A stage that cannot run because what it needs failed (counted there).
skip_stage() {
  echo
  echo "=== $1: skipped ($2)"
  record "$1" "skipped: $2" 0 0 0
}

build_preset() {
  cmake --preset "$1" && cmake --build --preset "$1"
}

wine_tests() {
  # shellcheck source-path=SCRIPTDIR source=wine-env.sh
  source "$root/scripts/wine-env.sh"
  qn_wine_start "$root/build/win64" || return 1
  export QN_SCREENSHOTS=$root/build/win64/screenshots
  rm -rf "$QN_SCREENSHOTS"
  mkdir -p "$QN_SCREENSHOTS"
  ctest --preset win64 -LE e2e
  local status=$?
  qn_wine_stop
  local bitmap
  for bitmap in "$QN_SCREENSHOTS"/*.bmp; do
    [[ -f $bitmap ]] && convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
  done
  return $status
}

e2e_tests() {
  # shellcheck source-path=SCRIPTDIR source=wine-env.sh
  source "$root/scripts/wine-env.sh"
  qn_wine_start "$root/build/win64" || return 1
  ctest --preset win64 -L e2e
  local status=$?
  qn_wine_stop
  return $status
}

# Runs a libFuzzer target fuzz_<Name> from its committed corpus
# fuzz/corpus/<Name>/, with the dictionary fuzz/<Name>.dict when there is
# one; what it finds new goes to a scratch corpus under the build folder, so
# the committed one stays as it is.
fuzz_target() {
  local program=$1 name=${1##*/fuzz_}
  local work=$root/build/fuzz/work/$name artifacts=$root/build/fuzz/artifacts/$name
  mkdir -p "$work" "$artifacts"
  local options=(-max_total_time="$fuzz_seconds" -print_final_stats=1 -artifact_prefix="$artifacts/")
  [[ -f $root/fuzz/$name.dict ]] && options+=(-dict="$root/fuzz/$name.dict")
  local corpora=("$work")
  if [[ -d $root/fuzz/corpus/$name ]]; then
    corpora+=("$root/fuzz/corpus/$name")
  else
    echo "no corpus fuzz/corpus/$name: starting from nothing"
  fi
  local out=$logs/fuzz-$name.out
  timeout $((fuzz_seconds + 300)) "$program" "${options[@]}" "${corpora[@]}" >"$out" 2>&1
  local status=$?
  tail -n 30 "$out"
  ((status == 0)) || echo "fuzz_$name failed (exit $status); findings in $artifacts, output in $out"
  return $status
}

# ---------------------------------------------------------------------------

if ! run_stage check bootstrap "$root/scripts/bootstrap.sh"; then
  echo "test.sh: the packages the build needs could not be installed; nothing else can run" >&2
  exit 1
fi

built=()
for preset in native win64 win32; do
  run_stage build "$preset build" build_preset "$preset" && built+=("$preset")
done
is_built() { [[ " ${built[*]} " == *" $1 "* ]]; }

if is_built native; then
  run_stage ctest "native tests" ctest --preset native
else
  skip_stage "native tests" "build failed"
fi

for preset in win64 win32; do
  if is_built "$preset"; then
    triple=x86_64-w64-mingw32
    [[ $preset == win32 ]] && triple=i686-w64-mingw32
    run_stage check "$preset exports" "$root/scripts/check-dll.sh" "$root/build/$preset/bin/QNDBGC.DLL" "$triple-objdump"
  else
    skip_stage "$preset exports" "build failed"
  fi
done

if is_built win64; then
  run_stage ctest "wine tests" wine_tests
  run_stage ctest "e2e tests" e2e_tests
else
  skip_stage "wine tests" "build failed"
  skip_stage "e2e tests" "build failed"
fi

if [[ -f $root/bench/CMakeLists.txt ]]; then
  run_stage build "bench build" build_preset bench
fi

if [[ -f $root/fuzz/CMakeLists.txt ]]; then
  if run_stage build "fuzz build" build_preset fuzz; then
    for program in "$root"/build/fuzz/bin/fuzz_*; do
      [[ -x $program ]] && run_stage check "fuzz ${program##*/fuzz_}" fuzz_target "$program"
    done
  fi
fi

echo
echo "=== summary (machine: $(nproc) cores, $(uname -m); ${SECONDS}s in all)"
printf '%s\n' "${stage_lines[@]}"
if ((${#failed_stages[@]} > 0)); then
  echo "test.sh: FAILED: $(printf '%s; ' "${failed_stages[@]}")logs in build/logs/"
else
  echo "test.sh: every stage passed"
fi
echo "checks: $checks_passed passed, $checks_failed failed"
((${#failed_stages[@]} == 0))
