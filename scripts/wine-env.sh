# shellcheck shell=bash
# Sourced by the scripts that run Windows programs: the private Wine set-up of
# the tests.
#
#   qn_wine_start [build-folder]   (default build/win64)
#     - a private WINEPREFIX in <build-folder>/wineprefix, made once: Wine's
#       own fonts copied in (a fresh prefix lacks "Courier", "MS Sans Serif"
#       and the caption-button font, so every face would fall back to
#       "Arial") and unmanaged windows (scripts/wineprefix.reg);
#     - a headless X server (Xvfb) on a free display, unless QN_DISPLAY names
#       the display to use;
#     - a persistent wineserver, so that each test program starts quickly;
#     - a trap that stops both when the shell exits, also on failure or ^C.
#   qn_wine_stop   stops them now (the trap then has nothing left to do).
#
# WINEDEBUG defaults to -all (quiet); set it before starting to see Wine's
# messages. A prefix whose preparation was cut short has no stamp and is
# made again from scratch.

qn_wine_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
qn_wine_xvfb_pid=
qn_wine_server_started=

# Bump when the preparation below changes, so that old prefixes are remade.
qn_wine_prefix_version=1

qn_wine_start() {
  local build=${1:-$qn_wine_root/build/win64}
  mkdir -p "$build" || return 1
  export WINEPREFIX=$build/wineprefix
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  # No installer dialogs for the .NET and HTML runtimes, and no menu entries
  # written into the user's desktop.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  qn_wine_log=$build/wine-env.log
  : >"$qn_wine_log"

  trap qn_wine_stop EXIT
  trap 'qn_wine_stop; exit 130' INT
  trap 'qn_wine_stop; exit 143' TERM

  qn_wine_start_display || return 1
  # A server left behind by an earlier run that was killed would keep the
  # old environment (display); start from a clean one.
  wineserver -k >>"$qn_wine_log" 2>&1
  qn_wine_prepare_prefix || return 1
  wineserver -p >>"$qn_wine_log" 2>&1 || { qn_wine_fail "wineserver -p failed"; return 1; }
  qn_wine_server_started=1
  # The first program started under the server starts Wine's services, and
  # they keep that program's standard output open for as long as the server
  # lives: ctest, which reads a test's output to its end, would wait for
  # ever. Start them here with the log as their output.
  wine cmd /c exit </dev/null >>"$qn_wine_log" 2>&1 || { qn_wine_fail "Wine does not start"; return 1; }
}

qn_wine_stop() {
  if [[ -n $qn_wine_server_started ]]; then
    wineserver -k >/dev/null 2>&1
    qn_wine_server_started=
  fi
  if [[ -n $qn_wine_xvfb_pid ]]; then
    kill "$qn_wine_xvfb_pid" 2>/dev/null
    wait "$qn_wine_xvfb_pid" 2>/dev/null
    qn_wine_xvfb_pid=
  fi
}

qn_wine_fail() {
  echo "wine-env: $1 (log: $qn_wine_log)" >&2
  tail -n 20 "$qn_wine_log" >&2
}

qn_wine_start_display() {
  if [[ -n ${QN_DISPLAY:-} ]]; then
    export DISPLAY=$QN_DISPLAY
    return 0
  fi
  # Xvfb picks a free display number itself and writes it to the descriptor
  # once it accepts connections.
  local numberFile
  numberFile=$(mktemp) || return 1
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberFile" >>"$qn_wine_log" 2>&1 &
  qn_wine_xvfb_pid=$!
  local tries
  for ((tries = 0; tries < 100; tries++)); do
    [[ -s $numberFile ]] && break
    if ! kill -0 "$qn_wine_xvfb_pid" 2>/dev/null; then
      qn_wine_xvfb_pid=
      break
    fi
    sleep 0.1
  done
  local number
  number=$(tr -dc 0-9 <"$numberFile")
  rm -f "$numberFile"
  if [[ -z $number ]]; then
    qn_wine_fail "Xvfb did not start"
    return 1
  fi
  export DISPLAY=:$number
}

qn_wine_prepare_prefix() {
  local stamp=$WINEPREFIX/.qn-prepared
  local want
  want="$qn_wine_prefix_version $(wine --version 2>/dev/null)"
  if [[ -f $stamp && $(<"$stamp") == "$want" ]]; then
    return 0
  fi

  echo "wine-env: preparing $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  wineboot -i >>"$qn_wine_log" 2>&1 || { qn_wine_fail "wineboot -i failed"; return 1; }
  wineserver -w
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  if ! { mkdir -p "$fonts" && cp /usr/share/wine/fonts/* "$fonts"/; }; then
    qn_wine_fail "cannot copy Wine's fonts (package fonts-wine)"
    return 1
  fi
  wine regedit /S "$qn_wine_root/scripts/wineprefix.reg" >>"$qn_wine_log" 2>&1 ||
    { qn_wine_fail "cannot import scripts/wineprefix.reg"; return 1; }
  # The registry reaches the prefix's files when the server exits.
  wineserver -w
  grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" ||
    { qn_wine_fail "the registry setting did not reach $WINEPREFIX/user.reg"; return 1; }
  echo "$want" >"$stamp"
}
