#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
#   scripts/run.sh [DATA_DIR]   data folder of your choice (created when missing);
#                               without it the program keeps TBData/ beside itself.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
build="${BUILD_DIR:-$here/build}"
if [ $# -ge 1 ]; then
  mkdir -p "$1"
  exec "$build/stocksync" --data-dir "$1" "${@:2}"
fi
exec "$build/stocksync"
