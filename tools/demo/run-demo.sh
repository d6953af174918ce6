#!/usr/bin/env bash
# Registers the built x64 control in a private Wine prefix, runs the demo container on the
# sample page (examples/catalogue.html), converts its screenshot to PNG, and unregisters the
# control again. The window is shown on the caller's display when DISPLAY is set (it stays
# for DEMO_HOLD seconds, 10 by default); otherwise everything runs under the launcher's Xvfb.
#
#   run-demo.sh BUILD_DIR PNG      (BUILD_DIR: a windows-x64 build)
set -euo pipefail
build="$(cd "$1" && pwd)"
png="$2"
top="$(cd "$(dirname "$0")/../.." && pwd)"
prefix="$build/demo-prefix"
wine=/usr/lib/wine/wine64
run=("$top/cmake/wine-run.sh" --wine "$wine" --prefix "$prefix" --timeout 120)
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }
dll="$(winpath "$build/ZorTabList.dll")"
bmp="$build/demo.bmp"

echo "demo: registering $build/ZorTabList.dll in $prefix"
"${run[@]}" regsvr32 /s "$dll"
trap '"${run[@]}" regsvr32 /s /u "$dll" || true' EXIT
args=("$(winpath "$build/demo_container.exe")" "$(winpath "$top/examples/catalogue.html")"
      "$(winpath "$bmp")")
rm -f "$bmp"
status=0
if [ -n "${DISPLAY:-}" ]; then
  echo "demo: showing the window on $DISPLAY"
  # The prefix exists now; the launcher would hide the window on its own Xvfb.
  WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d" \
    timeout -k 10 120 "$wine" "${args[@]}" --hold "${DEMO_HOLD:-10}" | tr -d '\r' || status=$?
  timeout 60 "$(dirname "$wine")/wineserver" -w || true
else
  echo "demo: no display, running under Xvfb"
  "${run[@]}" "${args[@]}" | tr -d '\r' || status=$?
fi
if [ -f "$bmp" ]; then
  mkdir -p "$(dirname "$png")"
  convert "$bmp" "$png"
  echo "demo: wrote $(cd "$(dirname "$png")" && pwd)/$(basename "$png")"
else
  echo "demo: no screenshot was written"
  status=1
fi
exit "$status"
