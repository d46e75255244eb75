#!/usr/bin/env bash
# Pictures of the program for review: builds when needed, starts the window
# program offscreen on a throwaway data folder and writes
#   build/screenshots/splash.png       the splash window
#   build/screenshots/main.png         the main window at 1280 x 800 after its first load
#   build/screenshots/main_source.png  the same with the source pane expanded, listing the
#                                      demo suppliers' items downloaded from top-sandbox
#   build/screenshots/main_target.png  the target list of the demo seller (sandbox_c_1) under
#                                      "显示所有": red, ticked rows where the quantities differ
#   build/screenshots/formula.png      the formula tab, the quantity formula enabled
#   build/screenshots/options.png      the "高级选项" tab with the upload guardrails (上传保护)
#   build/screenshots/upload_history.png the upload history ("上传记录") with a few rows of a
#                                      plan's cycle and a refused price
#   build/screenshots/tray_menu.png    the tray icon's menu (显示主窗口, 立即同步, 取消执行同步计划);
#                                      offscreen there is no notification area, so the menu
#                                      itself is opened as a popup and grabbed
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
"$build/stocksync" --data-dir "$data" init-db >/dev/null
"$build/stocksync" --data-dir "$data" use-sandbox "http://127.0.0.1:$port" >/dev/null
"$build/stocksync" --data-dir "$data" add-items --source \
  520000001001 520000001002 520000001003 520000001004 520000001005 520000001006 520000001007 \
  530000002001 530000002002 530000002003 530000002004 >/dev/null
"$build/stocksync" --data-dir "$data" download-source >/dev/null

# The demo seller's own rows: the target download is not part of these
# pictures, so they are written straight into TB_Object, made from the
# downloaded source rows with some quantities and prices changed. The seller
# is the last used account, and the quantity formula keeps one piece back.
sqlite3 "$data/TBData/TBData.db" <<'SQL'
insert into TB_Object(UserID,bCheck,title,outer_id,color,sku,num,price,outer_id_sku,num_iid,sku_id,
                      approve_status,sku_properties,oldcode,is_fenxiao)
select 'sandbox_c_1',1,title,outer_id,color,sku,
       case Uniqid % 4 when 0 then num + 3 when 1 then num else max(num - 1, 0) end,
       case Uniqid % 5 when 0 then price + 10 else price end,
       outer_id_sku,'61'||substr(num_iid,3),sku_id,approve_status,sku_properties,oldcode,
       case when outer_id in ('K800','F500') then 1 else 0 end
from TB_Source where outer_id<>'' order by Uniqid;
update _Parameter set ParaValue='sandbox_c_1' where NM=3;
insert into _Parameter(NM,ParaValue,ParaDesc) select 3,'sandbox_c_1','' where not exists(select 1 from _Parameter where NM=3);
delete from _Parameter where NM in (30,31);
insert into _Parameter(NM,ParaValue,ParaDesc) values(30,'1;1.00;-1;1;0','源数量启用;乘数;加数;取整;抹零');
-- what the upload history shows: a plan's cycle that changed three quantities and a price
-- the platform refused
insert into TB_Sync_Cycle(started,ended,started_by,UserId,downloaded,differing,uploaded,refused,held,error)
values(datetime('now','localtime','-65 minutes'),datetime('now','localtime','-64 minutes'),'plan','sandbox_c_1',
       (select count(*) from TB_Source),3,3,0,'','');
insert into TB_Upload_Journal(at,UserId,num_iid,sku_id,kind,mode,before_value,after_value,started_by,title,state,
                              message,cycle_id,settled_at)
select datetime('now','localtime','-64 minutes'),UserID,num_iid,sku_id,'quantity','full',num,num+2,'plan',title,
       'done','',(select max(Uniqid) from TB_Sync_Cycle),''
from TB_Object where UserID='sandbox_c_1' order by Uniqid limit 3;
insert into TB_Upload_Journal(at,UserId,num_iid,sku_id,kind,mode,before_value,after_value,started_by,title,state,
                              message,cycle_id,settled_at)
select datetime('now','localtime','-20 minutes'),UserID,num_iid,sku_id,'price','',price,price*1.3,'person',title,
       'refused','SKU价格只能在商品价格的上下10%之内',null,''
from TB_Object where UserID='sandbox_c_1' and sku_id<>'' order by Uniqid desc limit 1;
SQL

# the demo seller is a shop account of the data folder
echo taobao1234 | "$build/stocksync" --data-dir "$data" accounts add sandbox_c_1 --remark "演示卖家" >/dev/null

QT_QPA_PLATFORM=offscreen STOCKSYNC_SCREENSHOT="$out" timeout 60 "$build/stocksync" --data-dir "$data"
ls -1 "$out"/*.png
