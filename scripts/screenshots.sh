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
build/tools/qb-service/qb-service --quiet --add-account demo demo1234 >"$ports" &
pids+=($!)
for _ in $(seq 100); do grep -q '^login-port ' "$ports" && break; sleep 0.1; done
sleep 0.2
{
    printf '[SERVICE]\r\nHOST=127.0.0.1\r\n'
    awk '/^[a-z-]+-port [0-9]+$/ { key = toupper($1); gsub("-", "_", key); printf "%s=%s\r\n", key, $2 }' "$ports"
} >"$work/service.ini"
printf '[PROGRAM]\r\nVERSION=2.1.5\r\n' >"$work/update.ini"

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
