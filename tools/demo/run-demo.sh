#!/usr/bin/env bash
# Registers the built control in a private Wine prefix, runs the demo client with
# cscript, and unregisters it again.  Usage: run-demo.sh BUILD_DIR (a windows-x64 build).
set -euo pipefail
build="$(cd "$1" && pwd)"
top="$(cd "$(dirname "$0")/../.." && pwd)"
run=("$top/cmake/wine-run.sh" --wine /usr/lib/wine/wine64 --prefix "$build/demo-prefix" --timeout 300)
dll="Z:${build//\//\\}\\ZorTabList.dll"
script="Z:${top//\//\\}\\tools\\demo\\demo.vbs"
echo "demo: registering $build/ZorTabList.dll in $build/demo-prefix"
"${run[@]}" regsvr32 /s "$dll"
echo "demo: running tools/demo/demo.vbs"
"${run[@]}" cscript //nologo "$script" | tr -d '\r'
"${run[@]}" regsvr32 /s /u "$dll"
echo "demo: done"
