#!/usr/bin/env bash
# Takes the README's screenshots of the client under Xvfb, with openbox drawing
# the window frames, against qb-service on loopback: docs/screenshots/*.png.
# Needs a built tree (build/).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${QB_SCREENSHOTS_INSIDE:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" env QB_SCREENSHOTS_INSIDE=1 "$0" "$@"
fi

out=$PWD/docs/screenshots
mkdir -p "$out"
work=$(mktemp -d)
ports=$(mktemp)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work" "$ports"
}
trap cleanup EXIT

openbox >/dev/null 2>&1 &
pids+=($!)
mkdir -p "$work/LOG" "$work/msg" "$work/imgtemp"
build/tools/qb-service/qb-service --quiet --add-account demo demo1234 --demo-data demo >"$ports" &
pids+=($!)
for _ in $(seq 100); do grep -q "^send-port " "$ports" && break; sleep 0.1; done
sleep 0.2
{
    printf '[SERVICE]\r\nHOST=127.0.0.1\r\n'
    awk '/^[a-z-]+-port [0-9]+$/ { key = toupper($1); gsub("-", "_", key); printf "%s=%s\r\n", key, $2 }' "$ports"
} >"$work/service.ini"
printf '[PROGRAM]\r\nVERSION=2.1.5\r\n' >"$work/update.ini"

# The send form's shots: a recipients file, and a reject list that holds one of
# its numbers (applied, so the title counts it after login).
cat >"$work/recipients.txt" <<'LIST'
01012345601,김민준,VIP
01023456702,이서연,일반
01034567803,박지호,일반
01045678904,최수아,VIP
01056789005,정도윤,일반
01067890106,강하은,일반
01078901207,조예준,VIP
01089012308,윤지우,일반
01012345601,김민준,중복
0109012,번호오류,일반
01090123409,장서윤,일반
01001234510,임시우,VIP
LIST
printf '01078901207\n01099999999\n' >"$work/reject.txt"
printf '[Reject]\r\nReject_001=TRUE,reject.txt,%s\r\n' "$work/reject.txt" >"$work/msg/RAZIDODU.ini"

client=$PWD/build/bin/quillbank2
(cd "$work" && exec "$client" /u) >/dev/null 2>&1 &
pids+=($!)

# A visible window whose name matches; the browser's windows come and go while
# xdotool walks the tree, so a failed walk is simply tried again.
find_window() {
    local id=""
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || { echo "screenshots: no window named $1" >&2; exit 1; }
    echo "$id"
}

main=$(find_window '퀼뱅크문자')
sleep 1
shot() { import -window "$1" -frame "$out/$2.png"; echo "docs/screenshots/$2.png"; }
shot "$main" main-logged-out

# 로그인: the first toolbar button.
xdotool mousemove --window "$main" 30 55 click 1
dialog=$(find_window '^로그인$')
sleep 0.5
xdotool type --delay 20 demo
xdotool key Tab
xdotool type --delay 20 demo1234
sleep 0.3
shot "$dialog" login-dialog
xdotool key Return

# The notice window opens after every login; the shot is of the main window.
# The page's browser may make the window anew as it starts; look it up again.
find_window '^공지사항$' >/dev/null
sleep 1.5
notice=$(find_window '^공지사항$')
xdotool windowactivate --sync "$notice" key Escape
sleep 1
main=$(find_window '퀼뱅크문자')
xdotool mousemove --window "$main" 400 400
sleep 0.5
shot "$main" main-logged-in

# The send form, driven as a user would: "," as the delimiter, the file through
# the file dialog, column 1 as the number column, <@2@> bound to column 2, a
# callback number and a message. Points are in the main window's client area.
click_at() { xdotool mousemove --window "$main" "$1" "$2" click 1; sleep 0.3; }
pick_item() { # a combo box at (x, y): its n-th item below the current one
    click_at "$1" "$2"
    for _ in $(seq "$3"); do xdotool key Down; done
    xdotool key Return
    sleep 0.3
}
pick_item 514 413 1
click_at 382 413
find_window '열기|Open' >/dev/null
sleep 0.5
xdotool type --delay 10 "$work/recipients.txt"
xdotool key Return
sleep 1
pick_item 65 490 1
click_at 48 362
pick_item 138 362 2
click_at 360 128
xdotool type --delay 20 0212345678
click_at 121 207
# Hangul goes in one character at a time, slowly enough for each to land.
xdotool type --delay 150 '<@1@>님, 봄맞이 할인 쿠폰이 도착했습니다.'
xdotool mousemove --window "$main" 600 700
sleep 0.5
shot "$main" send-form-loaded

# The preview and its summary box, taken from the screen so both show.
click_at 500 490
summary=$(find_window '발송데이터 확인')
sleep 0.5
# The frame adds a 20-pixel title bar and a 1-pixel border around the client area.
x=$(xwininfo -id "$main" | awk '/Absolute upper-left X/ { print $4 }')
y=$(xwininfo -id "$main" | awk '/Absolute upper-left Y/ { print $4 }')
import -window root -crop "752x871+$((x - 1))+$((y - 20))" +repage "$out/send-form-preview.png"
echo docs/screenshots/send-form-preview.png
xdotool windowactivate --sync "$summary" key Return
sleep 0.5

# "수신거부등록": the reject list dialog.
click_at 462 349
rejects=$(find_window '^수신거부 목록$')
sleep 0.5
shot "$rejects" reject-list
xdotool windowactivate --sync "$rejects" key Escape

# "주소록": the address book window over the demo's groups, a few customers
# ticked, then the register dialog from the group's pop-up menu. Points are in
# the window's client area.
click_at 343 55
book=$(find_window '^:::: 주소록$')
sleep 0.5
book_at() { xdotool mousemove --window "$book" "$1" "$2" click "${3:-1}"; sleep 0.3; }
book_at 60 41
for y in 42 88 134 203; do book_at 281 "$y"; done
xdotool mousemove --window "$book" 600 450
sleep 0.3
shot "$book" address-book

# Right-click on the group: its first menu item is "신규 주소록 등록".
book_at 60 41 3
xdotool key Down Return
register=$(find_window '^:::: 주소록 등록 $')
sleep 0.5
xdotool type --delay 150 '홍길동'
xdotool key Tab
xdotool type --delay 20 01024681357
xdotool key Tab
xdotool type --delay 150 '신규 거래처'
xdotool key Tab
xdotool type --delay 150 '김영수'
xdotool key Tab
xdotool type --delay 20 01013572468
sleep 0.5
shot "$register" address-register
xdotool windowactivate --sync "$register" key Escape
sleep 0.3
xdotool windowactivate --sync "$book" key Escape
