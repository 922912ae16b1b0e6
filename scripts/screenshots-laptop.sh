#!/usr/bin/env bash
# Takes the README's 1366 x 768 screenshots under Xvfb (openbox drawing the
# frames) against qb-service on loopback: the question before a send with its
# count, cost and a balance short of it, the main window maximised, the SMS box offering LMS
# at 90 bytes, and the MMS editor's palette beside the editor. Needs a built
# tree (build/).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

screen=1366x768x24
. scripts/screenshot-session.sh

# Numbers as a spreadsheet exports them: a header line, hyphens, one person
# twice; then 3,000 more, so the job costs more than the demo's 50,000 원.
cat >"$work/recipients.txt" <<'LIST'
phone_number,name,grade
010-1234-5601,김민준,VIP
01023456702,이서연,일반
010 3456 7803,박지호,일반
01012345601,김민준,중복
010-4567-8904,최수아,VIP
LIST
seq 3000 | awk '{ printf "010-5%03d-%04d,고객%d,일반\n", $1 % 1000, $1, $1 }' >>"$work/recipients.txt"

start_client

root_shot() { import -window root "$out/$1.png"; echo "docs/screenshots/$1.png"; }

main=$(find_window '퀼뱅크문자')
sleep 1
xdotool windowmove "$main" 1 20
sleep 0.5
# 로그인 through its menu key and shortcut: Ctrl+L.
xdotool windowactivate --sync "$main" key ctrl+l
type_credentials
xdotool key Return
close_notice

load_recipients() {
    open_recipients
    pick_item 65 528 1
}
load_recipients
click_at 121 207
xdotool type --delay 150 '봄맞이 할인 쿠폰이 도착했습니다.'
# "발송데이터 미리보기": the summary names the shortfall and offers the charge
# page; 아니요. Then "전송하기": the question offers it again, then asks to send.
click_at "${PREVIEW_X:-328}" 528
summary=$(find_window '발송데이터 확인')
sleep 0.5
xdotool windowactivate --sync "$summary" key Escape
sleep 0.5
click_at "${SEND_X:-524}" 528
question=$(find_window '^알림$')
sleep 1
root_shot send-shortfall
xdotool windowactivate --sync "$question" key Escape # 아니요: no charge page
sleep 1
question=$(find_window '^알림$')
xdotool windowactivate --sync "$question" key Escape # 아니요: nothing is sent
sleep 0.5

# Maximised by a double click on its title bar (the window's frame is at the
# screen's top), and back.
xdotool mousemove 300 10 click --repeat 2 --delay 80 1
sleep 1.5
xdotool mousemove 683 700
sleep 0.5
root_shot main-maximised-laptop
xdotool mousemove 300 10 click --repeat 2 --delay 80 1
sleep 1

# Past 90 bytes the SMS box offers LMS.
click_at 121 207
xdotool key ctrl+End
xdotool type --delay 120 ' 3월 한 달 동안 전 품목 20% 할인! 매장에서 확인하세요. 문의 1588-0000'
offer=$(find_window '^알림$')
sleep 1
root_shot sms-lms-offer
xdotool windowactivate --sync "$offer" key Escape # 아니요: the box keeps its 90 bytes
sleep 0.5

# MMS: the switch asks about the loaded table; 예. The palette opens beside
# the editor, clear of it (to its right: the screen has room there).
click_at 140 127
question=$(find_window '^알림$')
sleep 0.5
xdotool windowactivate --sync "$question" key Return
editor=$(find_window 'MMS 문자 편집창')
sleep 0.5
# The title has the focus last; the palette still writes into the body.
xdotool mousemove --window "$editor" 130 22 click 1
sleep 0.3
xdotool type --delay 150 '봄 소식'
xdotool mousemove --window "$editor" 223 623 click 1
palette=$(find_window '특수문자 입력창')
sleep 0.8
symbol_at() { echo $((6 + ($1 % 10) * 25 + 12)) $((6 + ($1 / 10) * 25 + 12)); }
read -r bx by < <(symbol_at 59)
xdotool mousemove --window "$palette" "$bx" "$by" click 1
sleep 0.5
xdotool mousemove --window "$palette" 400 400
sleep 0.3
root_shot mms-palette-laptop
