#!/usr/bin/env bash
# Installs what is missing, builds when needed, and starts the program.
#
#   scripts/run.sh            the demo: the platform stand-in (top-sandbox) with the demo
#                             shops on a free loopback port, a fresh demo data folder
#                             (build/demo, or $DEMO_DIR) pointed at it with the demo seller's
#                             account, the supplier items in the source list, the seller's
#                             items in the target list, a target download and a source
#                             download done; then the window on it, opening with the
#                             differences listed. The stand-in stops when the window closes.
#                             Builds only when a source is newer than the program, so a
#                             built tree starts without any build output.
#                             Without a display it runs one synchronisation of the demo on
#                             the terminal instead and prints what changed.
#   scripts/run.sh DATA_DIR   the window on that data folder (created when missing).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
if [ ! -x "$build/stocksync" ] || [ ! -x "$build/top-sandbox" ] ||
   [ -n "$(find "$here/src" "$here/resources" "$here/sandbox" "$here/cmake" "$here/CMakeLists.txt" \
            -newer "$build/stocksync" -print -quit 2>/dev/null)" ]; then
  "$here/scripts/build.sh"
fi

if [ $# -ge 1 ]; then
  mkdir -p "$1"
  exec "$build/stocksync" --data-dir "$1" "${@:2}"
fi

demo="${DEMO_DIR:-$build/demo}"
rm -rf "$demo"
mkdir -p "$demo"
stocksync() { "$build/stocksync" --data-dir "$demo" "$@"; }
stocksync init-db >/dev/null

# the stand-in on a free port: it prints the port on its first line
sandbox_log="$demo/top-sandbox.log"
"$build/top-sandbox" --fixture "$here/sandbox/fixtures/demo.json" --port 0 >"$sandbox_log" 2>&1 &
sandbox_pid=$!
trap 'kill "$sandbox_pid" 2>/dev/null || true' EXIT
trap 'exit 130' INT TERM
port=""
for _ in $(seq 100); do
  port="$(head -n 1 "$sandbox_log" 2>/dev/null || true)"
  [[ "$port" =~ ^[0-9]+$ ]] && break
  port=""
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "top-sandbox did not start:" >&2
  cat "$sandbox_log" >&2
  exit 1
fi

echo "演示数据: $demo (top-sandbox on http://127.0.0.1:$port)"
stocksync use-sandbox "http://127.0.0.1:$port" >/dev/null
printf '%s\n' taobao1234 | stocksync accounts add sandbox_c_1 --remark "演示卖家" >/dev/null
stocksync add-items --source \
  520000001001 520000001002 520000001003 520000001004 520000001005 520000001006 520000001007 \
  530000002001 530000002002 530000002003 530000002004 >/dev/null
stocksync add-items --target \
  610000003001 610000003002 610000003003 610000003004 610000003005 610000003006 \
  610000003007 610000003008 610000003009 >/dev/null
# the demo seller is the account the window selects
sqlite3 "$demo/TBData/TBData.db" <<'SQL'
update _Parameter set ParaValue='sandbox_c_1' where NM=3;
insert into _Parameter(NM,ParaValue,ParaDesc)
select 3,'sandbox_c_1','当前帐号' where not exists(select 1 from _Parameter where NM=3);
SQL
stocksync download-target --account sandbox_c_1 >/dev/null

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  echo "没有显示器: 在终端上同步一次演示店铺."
  if "$build/stocksync" --help | grep -qE '^  sync( |$)'; then
    stocksync sync
  else
    stocksync download-source
    echo "库存或价格不同的宝贝 (目标店铺 sandbox_c_1):"
    stocksync diff --account sandbox_c_1 --view differ
  fi
  exit 0
fi

# the suppliers' stock, so that the window opens with the differences listed
stocksync download-source >/dev/null
echo "窗口打开后: 目标列表中红色、已勾选的行就是库存与供货商不同的宝贝; 点\"登录\"后可上传."

# not exec: the stand-in is stopped when the window has closed
stocksync
