#!/usr/bin/env bash
# The demo: the stand-in service on loopback with a demo account, and the desktop
# client against it, started through qbupdater as a user would start it. Without
# a display the same job runs headless: qbsend logs in, previews and sends a job
# exactly as the client does, and the service's results page shows what it stored.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)"

work=$PWD/build/demo-work
rm -rf "$work"
mkdir -p "$work/LOG" "$work/msg" "$work/imgtemp"

ports=$(mktemp)
build/tools/qb-service/qb-service --add-account demo demo1234 --demo-data demo >"$ports" 2>"$work/qb-service.log" &
service=$!
cleanup() {
    kill "$service" 2>/dev/null || true
    wait "$service" 2>/dev/null || true
    rm -f "$ports"
}
trap cleanup EXIT

# The send port is announced last.
for _ in $(seq 100); do
    grep -q '^send-port ' "$ports" && break
    kill -0 "$service" 2>/dev/null || break
    sleep 0.1
done
port=$(awk '/^login-port /{print $2}' "$ports")
web=$(awk '/^web-port /{print $2}' "$ports")
send=$(awk '/^send-port /{print $2}' "$ports")
if [ -z "$port" ] || [ -z "$web" ] || [ -z "$send" ]; then
    echo "demo: qb-service did not start:" >&2
    cat "$work/qb-service.log" >&2
    exit 1
fi
printf '[SERVICE]\r\nHOST=127.0.0.1\r\nLOGIN_PORT=%s\r\nSEND_PORT=%s\r\nWEB_PORT=%s\r\nHOME_URL=http://127.0.0.1:%s/\r\n' \
    "$port" "$send" "$web" "$web" >"$work/service.ini"
printf '[PROGRAM]\r\nVERSION=%s\r\n' "$(sed -n 's/^project(Quillbank2 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" \
    >"$work/update.ini"
printf '01012345678,김민수,서울\r\n01087654321,이영희,부산\r\n01055556666,박철수,대구\r\n' |
    iconv -f UTF-8 -t CP949 >"$work/recipients.txt"

echo "qb-service is listening on 127.0.0.1 (login $port, send $send, web $web)."
echo "Demo account: id demo, password demo1234"
echo "Working folder: $work (sample recipients: $work/recipients.txt, comma-separated, CP949)"
results="http://127.0.0.1:$web/ClientStatMgrd.jsp?mode=init&cid=demo"

show_logs() {
    echo
    echo "The service's results page ($results):"
    curl -s "$results" | iconv -f CP949 -t UTF-8 | sed -e 's/<\/t[dh]>/ | /g' -e 's/<[^>]*>//g' -e '/^ *$/d' |
        sed 's/^/  /'
    echo
    echo "What the service saw ($work/qb-service.log):"
    sed 's/^/  /' "$work/qb-service.log"
    for log in "$work"/LOG/*_SYS.log; do
        [ -e "$log" ] || continue
        echo "The client's system log ($log, CP949, shown in UTF-8):"
        iconv -f CP949 -t UTF-8 "$log" | tr -d '\r' | sed 's/^/  /'
    done
}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running the same job headless with qbsend."
    send_job=(build/tools/qbsend/qbsend --workdir "$work" --id demo --password demo1234
        --text "$work/recipients.txt" --delimiter , --number-column 1 --merge 1=2
        --callback 0212345678 --message "<@1@>님, 퀼뱅크 데모 문자입니다.")
    echo "${send_job[*]}"
    status=0
    "${send_job[@]}" || status=$?
    if [ $status -eq 0 ]; then
        echo "Sent; the service took every message (exit status 0)."
    else
        echo "The send failed (exit status $status)."
    fi
    show_logs
    exit $status
fi

echo "Starting the client: qbupdater --workdir $work"
echo "Log in with 로그인 (id demo, password demo1234), load $work/recipients.txt with the delimiter \",\","
echo "choose 1 열 as the number column, type a message, pick the callback number, preview and send."
echo "Close the window to end the demo."
build/bin/qbupdater --workdir "$work"
# qbupdater returns at once; the client's lock file names its process.
lock=$work/Quillbank2.lock
for _ in $(seq 100); do
    [ -s "$lock" ] && break
    sleep 0.1
done
client=$(head -n 1 "$lock" 2>/dev/null || true)
if [ -z "$client" ]; then
    echo "demo: the client did not start." >&2
    exit 1
fi
while kill -0 "$client" 2>/dev/null; do
    sleep 0.5
done
echo "The client has ended."
show_logs
