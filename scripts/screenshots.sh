#!/usr/bin/env bash
# Takes the README's screenshots of the client under Xvfb, with openbox drawing
# the window frames, against qb-service on loopback: docs/screenshots/*.png.
# Needs a built tree (build/).
set -euo pipefail
cd "$(dirname "$0")/.."

. scripts/screenshot-session.sh

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

start_client


main=$(find_window '퀼뱅크문자')
sleep 1
shot() { import -window "$1" -frame "$out/$2.png"; echo "docs/screenshots/$2.png"; }
shot "$main" main-logged-out

# 로그인: the first toolbar button.
xdotool mousemove --window "$main" 30 55 click 1
type_credentials
sleep 0.3
shot "$dialog" login-dialog
xdotool key Return
close_notice
xdotool mousemove --window "$main" 400 400
sleep 0.5
shot "$main" main-logged-in

# The send form, driven as a user would: "," as the delimiter, the file through
# the file dialog (the number column, 1 열, is found by itself), <@1@> bound to
# column 2, the registered callback number already chosen, and a message.
# Points are in the main window's client area.
open_recipients
click_at 48 401
pick_item 138 401 2
click_at 121 207
# Hangul goes in one character at a time, slowly enough for each to land.
xdotool type --delay 150 '<@1@>님, 봄맞이 할인 쿠폰이 도착했습니다.'
xdotool mousemove --window "$main" 600 700
sleep 0.5
shot "$main" send-form-loaded

# The preview and its summary box, taken from the screen so both show.
click_at 328 528
summary=$(find_window '발송데이터 확인')
sleep 0.5
shot_main_from_screen send-form-preview
xdotool windowactivate --sync "$summary" key Return
sleep 0.5

# "수신거부등록": the reject list dialog.
click_at 462 349
rejects=$(find_window '^수신거부 목록$')
sleep 0.5
shot "$rejects" reject-list
xdotool windowactivate --sync "$rejects" key Escape

# LMS: the kind switch opens the LMS editor beside the main window. Choosing a
# kind resets the form, so the recipients are loaded again.
# The main window goes to the left of the screen first, so the editor beside it
# has room.
main=$(find_window '퀼뱅크문자')
xdotool windowmove "$main" 1 20 # the client area: the frame goes to 0, 0
sleep 0.5
click_at 90 127
answer_yes # the message written would be lost
editor=$(find_window 'LMS 문자 편집창')
sleep 0.5
open_recipients
# Points below are in the editor's client area.
edit_at() { xdotool mousemove --window "$editor" "$1" "$2" click 1; sleep 0.3; }
# The body is reached with Tab: keys stay in order, where a click may overtake them.
edit_at 130 26
xdotool type --delay 150 '봄맞이 할인 안내'
xdotool key Tab
sleep 0.3
xdotool type --delay 150 '<@1@>님, 봄맞이 할인 쿠폰을 드립니다.'
xdotool key Return
xdotool type --delay 150 '기간: 3월 한 달 '
# "특수문자": the palette opens below the editor; ★ goes in at the caret.
edit_at 236 424
palette=$(find_window '특수문자 입력창')
sleep 0.5
# Buttons are 24 pixels with a pixel between them, 6 pixels in from the edge.
symbol_at() { echo $((6 + ($1 % 10) * 25 + 12)) $((6 + ($1 / 10) * 25 + 12)); }
read -r bx by < <(symbol_at 59)
xdotool mousemove --window "$palette" "$bx" "$by" click 1
sleep 0.3
read -r bx by < <(symbol_at 70)
xdotool mousemove --window "$palette" "$bx" "$by"
sleep 0.5
# The main window, the editor and the palette together, from the screen.
read -r mx my mw mh < <(box_of "$main")
read -r ex ey ew eh < <(box_of "$editor")
read -r qx qy qw qh < <(box_of "$palette")
left=$((mx - 1)); top=$((my - 20))
right=$(( (ex + ew > qx + qw ? ex + ew : qx + qw) + 1 ))
bottom=$(( my + mh > qy + qh ? my + mh : qy + qh )); bottom=$((bottom + 1))
import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$out/lms-editor-palette.png"
echo docs/screenshots/lms-editor-palette.png

# "저장된 메시지 불러오기": the LMS message box, its page shown half a second later.
edit_at 80 424
lmsbox=$(find_window 'LMS\] 메세지 저장함')
sleep 1.5
shot "$lmsbox" lms-message-box
xdotool windowactivate --sync "$lmsbox" key Escape

# MMS: the kind switch closes the LMS editor and opens the MMS editor in its
# place. Its pictures are made here.
convert -size 480x360 gradient:'#7ec8f0'-'#e8f6ff' \( -size 480x140 gradient:'#6cbf4a'-'#2f7d32' \) \
    -gravity south -composite -fill '#ffd94a' -draw 'circle 380,80 380,118' -quality 88 "$work/meadow.jpg"
convert -size 400x400 radial-gradient:'#fff0f6'-'#e0457b' -fill '#ffe066' -draw 'circle 200,200 200,235' \
    -quality 88 "$work/flower.jpg"
convert -size 1200x560 gradient:'#9fd6f5'-'#1e6fb8' -fill '#f4e3b5' \
    -draw 'polygon 0,560 0,450 400,400 1200,480 1200,560' -fill white -draw 'polygon 560,280 620,110 640,280' \
    -draw 'ellipse 330,150 70,22 0,360' -draw 'ellipse 390,135 50,26 0,360' -fill '#ffd94a' \
    -draw 'circle 140,110 140,150' -quality 88 "$work/sea.jpg"
# Three messages in the MMS store, saved through the service's own form (the
# editor's "메시지저장" posts the same fields); their pictures are fetched into
# imgtemp when the message box opens.
webport=$(awk '$1 == "web-port" { print $2 }' "$ports")
save_mms() { # stamp, title, body, pictures...
    local stamp=$1 title=$2 body=$3 k=0
    shift 3
    printf '%s' "$title" | iconv -f UTF-8 -t CP949 >"$work/title.txt"
    printf '%s' "$body" | iconv -f UTF-8 -t CP949 >"$work/body.txt"
    local args=(-F m_id=demo -F "title=<$work/title.txt" -F "data=<$work/body.txt")
    for p in "$@"; do
        k=$((k + 1))
        args+=(-F "img$k=@$p;filename=demo_${stamp}_$k.jpg;type=image/jpeg")
    done
    curl -s -o /dev/null "${args[@]}" "http://127.0.0.1:$webport/setmmsmsg.jsp"
}
save_mms 20260301090000 '꽃 축제 안내' $'<@1@>님, 꽃 축제에 초대합니다.\n3월 20일부터 열흘간' "$work/flower.jpg"
save_mms 20260302090000 '바다 풍경' $'여름 휴가 사진입니다.\n좋은 하루 되세요' "$work/sea.jpg" "$work/meadow.jpg"
save_mms 20260303090000 '봄 여행 사진' $'<@1@>님, 봄 여행 사진을 보내드립니다.\n즐거운 하루 되세요!' \
    "$work/meadow.jpg" "$work/flower.jpg" "$work/sea.jpg"

click_at 140 127
answer_yes # the LMS written would be lost
editor=$(find_window 'MMS 문자 편집창')
sleep 0.5
# Points in the editor's client area. "저장된 메시지 불러오기": the MMS message
# box, newest first, its page shown half a second later.
edit_at 95 623
mmsbox=$(find_window 'MMS\] 메세지 저장함')
sleep 1.5
xdotool mousemove --window "$mmsbox" 300 520
sleep 0.3
shot "$mmsbox" mms-message-box
# "선택" under the first column fills the editor: title, body, three pictures.
xdotool mousemove --window "$mmsbox" 56 466 click 1
sleep 1
xdotool mousemove --window "$editor" 250 600
sleep 0.5
shot "$editor" mms-editor

# "원사이즈보기", the second entry of slot 3's menu (a double-click): the
# 1200 x 560 picture whole, shrunk to the viewer. A double-click the machine was too slow for is tried again.
slot_at() { echo 129 $((42 + ($1 - 1) * 148 + 74)); }
viewer=""
for _ in 1 2 3; do
    read -r sx sy < <(slot_at 3)
    xdotool mousemove --window "$editor" "$sx" "$sy" click --repeat 2 --delay 80 1
    sleep 1
    # The menu opens at the pointer, its entries 25 pixels apart.
    xdotool mousemove --window "$editor" $((sx + 40)) $((sy + 36)) click 1
    for _ in $(seq 30); do
        viewer=$(xdotool search --onlyvisible --name 'MMS 이미지보기' 2>/dev/null | head -n 1 || true)
        [ -n "$viewer" ] && break
        sleep 0.1
    done
    [ -n "$viewer" ] && break
    xdotool key Escape
done
[ -n "$viewer" ] || { echo "screenshots: no picture viewer" >&2; exit 1; }
sleep 0.5
shot "$viewer" mms-picture-viewer
xdotool windowactivate --sync "$viewer" key Escape

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
