# Sourced by the screenshot scripts, inside Xvfb: openbox for the frames,
# qb-service on loopback with the demo account, and a client working folder
# ($work) whose service.ini names it. Everything started is stopped on exit.
# A script first runs itself again inside an X server of $screen (1280 x 1024
# unless it sets one).
if [ -z "${QB_SCREENSHOTS_INSIDE:-}" ]; then
    exec xvfb-run -a -s "-screen 0 ${screen:-1280x1024x24}" env QB_SCREENSHOTS_INSIDE=1 "$0" "$@"
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

# The client in the working folder, once its recipients and lists are written.
start_client() {
    local client=$PWD/build/bin/quillbank2
    (cd "$work" && exec "$client" /u) >/dev/null 2>&1 &
    pids+=($!)
}

# Where a window stands on the screen, and its size: "x y width height".
box_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'
}

# The main window with the box in front of it, taken from the screen so both
# show; the frame adds a 20-pixel title bar and a 1-pixel border.
shot_main_from_screen() {
    local x y
    read -r x y _ _ < <(box_of "$main")
    import -window root -crop "752x871+$((x - 1))+$((y - 20))" +repage "$out/$1.png"
    echo "docs/screenshots/$1.png"
}

# The demo account typed into the login dialog, once it is open; Return is left
# to the script.
type_credentials() {
    dialog=$(find_window '^로그인$')
    sleep 0.5
    xdotool type --delay 20 demo
    xdotool key Tab
    xdotool type --delay 20 demo1234
}

# The notice window opens after every login. The page's browser may make the
# main window anew as it starts, so it is looked up again.
close_notice() {
    find_window '^공지사항$' >/dev/null
    sleep 1.5
    local notice
    notice=$(find_window '^공지사항$')
    xdotool windowactivate --sync "$notice" key Escape
    sleep 1
    main=$(find_window '퀼뱅크문자')
}

# "," as the delimiter, then $work/recipients.txt through the file dialog.
open_recipients() {
    pick_item 514 413 1
    click_at 382 413
    find_window '열기|Open' >/dev/null
    sleep 0.5
    xdotool type --delay 10 "$work/recipients.txt"
    xdotool key Return
    sleep 1
}

# "예" to the question box that opens.
answer_yes() {
    local box
    box=$(find_window '^알림$')
    sleep 0.3
    xdotool windowactivate --sync "$box" key Return
}

# A click in the main window ($main, set by the script), and a combo box at
# (x, y) moved to its n-th item below the current one.
click_at() { xdotool mousemove --window "$main" "$1" "$2" click 1; sleep 0.3; }
pick_item() {
    click_at "$1" "$2"
    for _ in $(seq "$3"); do xdotool key Down; done
    xdotool key Return
    sleep 0.3
}
