#!/usr/bin/env bash
# Pictures of the program for review: builds when needed, starts the window
# program offscreen on a throwaway data folder and writes
#   build/screenshots/splash.png       the splash window
#   build/screenshots/main.png         the main window at 1280 x 800 after its first load
#   build/screenshots/main_source.png  the same with the source pane expanded, listing the
#                                      demo suppliers' items downloaded from top-sandbox
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
# The source list is shown with the demo shops of the platform stand-in:
# start it on a free port, point the data folder at it, download.
sandbox_log="$build/screenshot-sandbox.log"
"$build/top-sandbox" --fixture "$here/sandbox/fixtures/demo.json" --port 0 >"$sandbox_log" 2>&1 &
sandbox_pid=$!
trap 'kill $sandbox_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  port="$(head -n 1 "$sandbox_log" 2>/dev/null || true)"
  [[ "$port" =~ ^[0-9]+$ ]] && break
  sleep 0.1
done
"$build/stocksync" --data-dir "$data" use-sandbox "http://127.0.0.1:$port" >/dev/null
"$build/stocksync" --data-dir "$data" add-items --source \
  520000001001 520000001002 520000001003 520000001004 520000001005 520000001006 520000001007 \
  530000002001 530000002002 530000002003 530000002004 >/dev/null
"$build/stocksync" --data-dir "$data" download-source >/dev/null

QT_QPA_PLATFORM=offscreen STOCKSYNC_SCREENSHOT="$out" timeout 60 "$build/stocksync" --data-dir "$data"
ls -1 "$out"/*.png
