#!/usr/bin/env bash
# The demo: the stand-in service on loopback with a demo account, and the desktop
# client against it, started through qbupdater as a user would start it. Without
# a display the same job runs headless: qbsend logs in and out exactly as the
# client does.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)"

work=$PWD/build/demo-work
rm -rf "$work"
mkdir -p "$work/LOG" "$work/msg" "$work/imgtemp"

ports=$(mktemp)
build/tools/qb-service/qb-service --add-account demo demo1234 >"$ports" 2>"$work/qb-service.log" &
service=$!
cleanup() {
    kill "$service" 2>/dev/null || true
    wait "$service" 2>/dev/null || true
    rm -f "$ports"
}
trap cleanup EXIT

for _ in $(seq 100); do
    grep -q '^login-port ' "$ports" && break
    kill -0 "$service" 2>/dev/null || break
    sleep 0.1
done
port=$(awk '/^login-port /{print $2}' "$ports")
if [ -z "$port" ]; then
    echo "demo: qb-service did not start:" >&2
    cat "$work/qb-service.log" >&2
    exit 1
fi
sleep 0.2 # the other ports follow the login port
# service.ini: HOST and every port the service took ("web-port 4321" -> WEB_PORT=4321).
{
    printf '[SERVICE]\r\nHOST=127.0.0.1\r\n'
    awk '/^[a-z-]+-port [0-9]+$/ { key = toupper($1); gsub("-", "_", key); printf "%s=%s\r\n", key, $2 }' "$ports"
    web=$(awk '/^web-port /{print $2}' "$ports")
    [ -n "$web" ] && printf 'HOME_URL=http://127.0.0.1:%s/\r\n' "$web"
} >"$work/service.ini"
printf '[PROGRAM]\r\nVERSION=%s\r\n' "$(sed -n 's/^project(Quillbank2 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" >"$work/update.ini"

echo "qb-service is listening on 127.0.0.1:$port (login port)."
echo "Demo account: id demo, password demo1234"
echo "Working folder: $work"

show_logs() {
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
    echo "qbsend --workdir $work --id demo --password demo1234"
    status=0
    build/tools/qbsend/qbsend --workdir "$work" --id demo --password demo1234 || status=$?
    if [ $status -eq 0 ]; then
        echo "Logged in and out (exit status 0)."
    else
        echo "The login failed (exit status $status)."
    fi
    show_logs
    exit $status
fi

echo "Starting the client: qbupdater --workdir $work"
echo "Log in with 로그인 (id demo, password demo1234); close the window to end the demo."
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
