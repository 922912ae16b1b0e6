#!/usr/bin/env bash
# Draws the toolbar images (55 x 55: normal, hot, disabled) and the banner with
# ImageMagick, and the window icon from the program's icon (rsvg-convert). The
# PNGs are committed; run this again after changing a picture.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p toolbar

font=Noto-Sans-CJK-KR-Bold
symbols=DejaVu-Sans-Bold

# tile NAME STATE TOP BOTTOM EDGE INK
tile() {
    convert -size 55x55 xc:none \
        \( -size 51x51 gradient:"$3"-"$4" \
           \( -size 51x51 xc:none -fill white -draw "roundrectangle 0,0 50,50 9,9" \) \
           -alpha off -compose CopyOpacity -composite \) \
        -geometry +2+2 -compose Over -composite \
        -fill none -stroke "$5" -strokewidth 1.5 -draw "roundrectangle 2,2 52,52 9,9" \
        "toolbar/$1-$2.png"
}

# glyph NAME INK DRAW... : pictogram in the upper part of the tile
glyph() {
    local name=$1 ink=$2; shift 2
    convert -size 55x55 xc:none -stroke "$ink" -fill none -strokewidth 2.6 "$@" \
        -page +0-2 -background none -flatten "/tmp/qb-glyph-$name.png"
}

# caption NAME INK LINE1 [LINE2]
caption() {
    local name=$1 ink=$2 l1=$3 l2=${4:-}
    if [ -z "$l2" ]; then
        convert -size 55x55 xc:none -font "$font" -pointsize 10 -fill "$ink" \
            -gravity north -annotate +0+35 "$l1" "/tmp/qb-caption-$name.png"
    else
        convert -size 55x55 xc:none -font "$font" -pointsize 9 -fill "$ink" \
            -gravity north -annotate +0+26 "$l1" -annotate +0+37 "$l2" "/tmp/qb-caption-$name.png"
    fi
}

draw_glyphs() {
    local ink=$1
    glyph login "$ink" -draw "rectangle 27,6 40,32" -draw "line 12,19 25,19" \
        -fill "$ink" -draw "polygon 25,13 32,19 25,25"
    glyph logout "$ink" -draw "rectangle 15,6 28,32" -draw "line 30,19 40,19" \
        -fill "$ink" -draw "polygon 40,13 47,19 40,25"
    glyph send "$ink" -draw "rectangle 12,9 43,31" -draw "polyline 12,9 27.5,22 43,9"
    glyph results "$ink" -fill "$ink" -strokewidth 1 \
        -draw "rectangle 14,22 19,32" -draw "rectangle 24,14 29,32" -draw "rectangle 34,7 39,32" \
        -draw "line 11,33 44,33"
    glyph reserved "$ink" -draw "circle 27.5,19.5 27.5,6.5" -draw "line 27.5,19.5 27.5,11" \
        -draw "line 27.5,19.5 34,23"
    glyph addressbook "$ink" -draw "circle 27.5,12 27.5,6" \
        -draw "path 'M 15,33 C 15,19 40,19 40,33 Z'"
    glyph charge "$ink" -strokewidth 2.2 -draw "circle 27.5,14 27.5,4.5" \
        -stroke none -fill "$ink" -font "$symbols" -pointsize 12 -gravity north -annotate +0+6 "₩"
    glyph notice "$ink" -draw "roundrectangle 11,6 44,28 4,4" -fill "$ink" \
        -draw "polygon 18,27 18,34 25,27" \
        -stroke none -font "$symbols" -pointsize 16 -gravity north -annotate +0+7 "!"
    glyph exit "$ink" -draw "arc 15,8 40,33 -60,240" -draw "line 27.5,5 27.5,19"
}

captions() {
    local ink=$1
    caption login "$ink" "로그인"
    caption logout "$ink" "로그아웃"
    caption send "$ink" "문자전송"
    caption results "$ink" "결과조회"
    caption reserved "$ink" "예약조회"
    caption addressbook "$ink" "주소록"
    caption charge "$ink" "사이버머니" "충전"
    caption notice "$ink" "공지사항"
    caption exit "$ink" "종료"
}

names="login logout send results reserved addressbook charge notice exit"

# state TOP BOTTOM EDGE INK
state() {
    local st=$1
    draw_glyphs "$5"
    captions "$5"
    for n in $names; do
        tile "$n" "$st" "$2" "$3" "$4" "$5"
        convert "toolbar/$n-$st.png" "/tmp/qb-glyph-$n.png" -compose Over -composite \
            "/tmp/qb-caption-$n.png" -compose Over -composite "toolbar/$n-$st.png"
    done
}

state normal '#3b7dc4' '#1d4f8c' '#163e6e' white
state hot '#5aa2ea' '#2a68b4' '#ffc83d' white
state disabled '#ececec' '#d6d6d6' '#bdbdbd' '#a4a4a4'

# The banner at the toolbar's end: 173 x 55.
convert -size 173x55 gradient:'#fdfdfd'-'#e3edf8' \
    -fill '#1d4f8c' -stroke none -draw "roundrectangle 6,9 44,47 8,8" \
    -fill white -font "$symbols" -pointsize 22 -gravity northwest -annotate +13+13 "Q" \
    -fill '#1d4f8c' -font "$font" -pointsize 17 -annotate +52+8 "퀼뱅크문자" \
    -fill '#4a6f98' -font "$font" -pointsize 9.5 -annotate +53+33 "홈페이지 바로가기 ›" \
    -fill none -stroke '#9db7d6' -draw "rectangle 0,0 172,54" \
    banner.png

# Window icon: the program's icon as the desktop shows it, drawn in dist/icons.
rsvg-convert --width=64 --height=64 --output=icon.png ../../../../dist/icons/quillbank2.svg

rm -f /tmp/qb-glyph-*.png /tmp/qb-caption-*.png
