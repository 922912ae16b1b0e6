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

main=$(xdotool search --sync --onlyvisible --name '퀼뱅크문자' | head -n 1)
sleep 1
shot() { import -window "$1" -frame "$out/$2.png"; echo "docs/screenshots/$2.png"; }
shot "$main" main-logged-out

# 로그인: the first toolbar button.
xdotool mousemove --window "$main" 30 55 click 1
dialog=$(xdotool search --sync --onlyvisible --name '^로그인$' | head -n 1)
sleep 0.5
xdotool type --delay 20 demo
xdotool key Tab
xdotool type --delay 20 demo1234
sleep 0.3
shot "$dialog" login-dialog
xdotool key Return

# The notice window opens after every login; the shot is of the main window.
notice=$(xdotool search --sync --onlyvisible --name '^공지사항$' | head -n 1)
sleep 1
xdotool windowactivate --sync "$notice" key Escape
xdotool mousemove --window "$main" 400 400
sleep 1
shot "$main" main-logged-in
