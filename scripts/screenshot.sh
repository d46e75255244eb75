#!/usr/bin/env bash
# Pictures of the program for review: builds when needed, starts the window
# program offscreen on a throwaway data folder and writes
#   build/screenshots/splash.png       the splash window
#   build/screenshots/main.png         the main window at 1280 x 800 after its first load
#   build/screenshots/main_source.png  the same with the source pane expanded
# The program writes them itself when STOCKSYNC_SCREENSHOT names a folder
# (src/app/ui/StartUp.cpp) and ends afterwards.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
if [ ! -x "$build/stocksync" ] || [ -n "$(find "$here/src" "$here/resources" -newer "$build/stocksync" -print -quit)" ]; then
  "$here/scripts/build.sh"
fi
data="$build/screenshot-data"
out="$build/screenshots"
rm -rf "$data" "$out"
mkdir -p "$data" "$out"
QT_QPA_PLATFORM=offscreen STOCKSYNC_SCREENSHOT="$out" timeout 60 "$build/stocksync" --data-dir "$data"
ls -1 "$out"/*.png
