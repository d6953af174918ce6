#!/usr/bin/env bash
# Runs one Windows program of the build under Wine, in the build tree's private prefix.
#
#   wine-run.sh --wine LOADER --prefix DIR [--arch win32|win64] [--timeout SECONDS] PROGRAM [ARGS...]
#   wine-run.sh --wine LOADER --prefix DIR [--arch win32|win64] --session start|stop
#
# The prefix is made on first use (wineboot -i), under a lock, so parallel runs do
# not race. Every program gets an X display: a program run without one while the
# wineserver lives leaves Wine's desktop without a driver, and window creation
# then fails for every later program of that server. Hence two modes:
#  - session: CTest's setup fixture starts one Xvfb and a persistent wineserver for
#    the prefix; every run while it lives uses that display. The cleanup fixture
#    stops both once no other live ctest run still holds the session.
#  - standalone (no session alive, e.g. test discovery at build time or a run by
#    hand): the run brings its own Xvfb and waits for the wineserver to exit before
#    that display goes away.
# The inherited DISPLAY is never used, so results do not depend on the caller's desktop.
set -u

wine=""
prefix=""
arch="win64"
limit="${ZORTAB_WINE_TIMEOUT:-240}"
session=""
while [ $# -gt 0 ]; do
  case "$1" in
    --wine) wine="$2"; shift 2 ;;
    --prefix) prefix="$2"; shift 2 ;;
    --arch) arch="$2"; shift 2 ;;
    --timeout) limit="$2"; shift 2 ;;
    --session) session="$2"; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
if [ -z "$wine" ] || [ -z "$prefix" ]; then
  echo "wine-run: --wine and --prefix are required" >&2
  exit 2
fi
if [ -z "$session" ] && [ $# -eq 0 ]; then
  echo "wine-run: no program given" >&2
  exit 2
fi

wineserver="$(dirname "$wine")/wineserver"
state="$prefix.state"
mkdir -p "$state" || exit 2
export WINEPREFIX="$prefix"
export WINEARCH="$arch"
export WINEDEBUG="${ZORTAB_WINEDEBUG:--all}"
# No menu entries in the user's home, whatever a program installs.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe=d}"
unset DISPLAY

log() { echo "wine-run: $*" >&2; }

# Makes the prefix once. Runs without a display and waits for the server to end,
# so the headless desktop it may have made is gone before anybody else starts.
ensure_prefix() {
  [ -f "$prefix/.zortab-ready" ] && return 0
  (
    flock -w 600 9 || { log "timed out waiting for the prefix lock"; exit 1; }
    [ -f "$prefix/.zortab-ready" ] && exit 0
    rm -rf "$prefix"
    log "creating $arch prefix $prefix"
    # Mono and Gecko cannot be downloaded here; their installers would wait forever.
    WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d" timeout 600 "$wine" wineboot -i \
      >"$state/wineboot.log" 2>&1 9>&-
    rc=$?
    timeout 120 "$wineserver" -w 9>&-
    if [ $rc -ne 0 ] || [ ! -f "$prefix/system.reg" ]; then
      log "wineboot failed ($rc), see $state/wineboot.log"
      exit 1
    fi
    touch "$prefix/.zortab-ready"
  ) 9>"$state/prefix.lock"
}

alive() { [ -n "${1:-}" ] && kill -0 "$1" 2>/dev/null; }

# Starts Xvfb in the background on a free display; prints "pid display".
start_xvfb() {
  local fifo="$state/displayfd.$$"
  rm -f "$fifo"
  mkfifo "$fifo" || return 1
  setsid Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    7>"$fifo" 9>&- </dev/null >>"$state/xvfb.log" 2>&1 &
  local pid=$!
  local display=""
  read -r -t 30 display <"$fifo"
  rm -f "$fifo"
  if [ -z "$display" ] || ! alive "$pid"; then
    kill "$pid" 2>/dev/null
    log "Xvfb did not start, see $state/xvfb.log"
    return 1
  fi
  echo "$pid :$display"
}

session_display() {
  local pid display
  [ -f "$state/session" ] || return 1
  read -r pid display _ <"$state/session" || return 1
  alive "$pid" || return 1
  echo "$display"
}

# A session belongs to the processes that started it (the ctest runs, our parent), so
# that one interrupted run does not keep it alive for ever nor end another's.
live_owners() {
  local owner
  for owner in "$@"; do alive "$owner" && [ "$owner" != "$PPID" ] && echo -n "$owner "; done
}

case "$session" in
  start)
    ensure_prefix || exit 1
    exec 9>"$state/session.lock"
    flock -w 600 9 || { log "timed out waiting for the session lock"; exit 1; }
    if display=$(session_display); then
      read -r pid display owners <"$state/session"
      # shellcheck disable=SC2086
      echo "$pid $display $(live_owners $owners)$PPID" >"$state/session"
      exit 0
    fi
    # A server left by standalone runs belongs to another display: let it end.
    timeout 120 "$wineserver" -w 9>&-
    out=$(start_xvfb) || exit 1
    read -r pid display <<<"$out"
    echo "$pid $display $PPID" >"$state/session"
    DISPLAY="$display" "$wineserver" -p </dev/null >/dev/null 2>&1 9>&-
    # Start Wine's services now, with their output away from the caller's pipes.
    DISPLAY="$display" timeout 120 "$wine" cmd.exe /c exit 0 </dev/null >>"$state/services.log" 2>&1 9>&-
    exit 0
    ;;
  stop)
    exec 9>"$state/session.lock"
    flock -w 600 9 || { log "timed out waiting for the session lock"; exit 1; }
    [ -f "$state/session" ] || exit 0
    read -r pid display owners <"$state/session"
    # shellcheck disable=SC2086
    others=$(live_owners $owners)
    if alive "$pid" && [ -n "$others" ]; then
      echo "$pid $display ${others% }" >"$state/session"
      exit 0
    fi
    "$wineserver" -k 2>/dev/null 9>&-
    timeout 60 "$wineserver" -w 9>&-
    kill "$pid" 2>/dev/null
    rm -f "$state/session"
    exit 0
    ;;
  "") ;;
  *) log "unknown session command $session"; exit 2 ;;
esac

ensure_prefix || exit 1
# The program's output goes to a file that is printed when it ends: processes that Wine
# starts on the way (services, the desktop) inherit the program's standard handles and
# outlive it, and CTest would wait for them to close its pipes.
out_file=$(mktemp "$state/run.XXXXXX") || exit 2
if display=$(session_display); then
  DISPLAY="$display" timeout -k 10 "$limit" "$wine" "$@" >"$out_file" 2>&1
  rc=$?
else
  out=$(start_xvfb) || exit 1
  read -r xpid display <<<"$out"
  DISPLAY="$display" timeout -k 10 "$limit" "$wine" "$@" >"$out_file" 2>&1
  rc=$?
  DISPLAY="$display" timeout 120 "$wineserver" -w >/dev/null 2>&1
  kill "$xpid" 2>/dev/null
fi
cat "$out_file"
rm -f "$out_file"
[ $rc -eq 124 ] && log "timed out after $limit s: $*"
exit $rc
