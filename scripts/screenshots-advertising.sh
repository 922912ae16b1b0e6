#!/usr/bin/env bash
# Takes the README's two shots of the "광고" switch under Xvfb against qb-service
# on loopback: the preview stopped with its findings by row, and the SMS box after
# "광고 문구 넣기". Needs a built tree (build/).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

. scripts/screenshot-session.sh

cat >"$work/recipients.txt" <<'LIST'
01012345601,김민준
01023456702,이서연
01034567803,박지호
LIST
# "광고" on, with the sender's name and refusal number of "광고 설정" (CP949).
printf '[AD]\r\nON=Y\r\nNAME=봄꽃상회\r\nOPTOUT=080-123-4567\r\n' | iconv -f UTF-8 -t CP949 >"$work/Env.cfg"

start_client

main=$(find_window '퀼뱅크문자')
sleep 1
xdotool mousemove --window "$main" 30 55 click 1
type_credentials
xdotool key Return
close_notice

# The recipients with "," as the delimiter, column 1 as the number column and
# <@1@> bound to column 2; a message without the marker, the name or the refusal.
open_recipients
# The number column, 1 열, is found by itself.
click_at 48 401
pick_item 138 401 2
click_at 121 207
xdotool type --delay 150 '<@1@>님, 봄맞이 할인 쿠폰이 도착했습니다.'

# "발송데이터 미리보기": the findings, taken from the screen with the window behind.
click_at 328 528
box=$(find_window '^알림$')
sleep 0.5
shot_main_from_screen advertising-findings
xdotool windowactivate --sync "$box" key Return
sleep 0.5

# "광고 문구 넣기": the marker and the name first, the refusal line last.
click_at 67 348
xdotool mousemove --window "$main" 600 700
sleep 0.5
import -window "$main" -frame "$out/advertising-inserted.png"
echo docs/screenshots/advertising-inserted.png
