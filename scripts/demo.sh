#!/usr/bin/env bash
# The demo, for now: the stand-in service on loopback with a demo account, and a
# login and logout by qbsend exactly as the client does it. Later the demo sends
# messages and opens the desktop client.
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
printf '[SERVICE]\r\nHOST=127.0.0.1\r\nLOGIN_PORT=%s\r\n' "$port" >"$work/service.ini"

echo "qb-service is listening on 127.0.0.1:$port (login port), account demo / demo1234"
echo "qbsend --workdir $work --id demo --password demo1234"
status=0
build/tools/qbsend/qbsend --workdir "$work" --id demo --password demo1234 || status=$?
if [ $status -eq 0 ]; then
    echo "Logged in and out (exit status 0)."
else
    echo "The login failed (exit status $status)."
fi

echo
echo "What the service saw ($work/qb-service.log):"
sed 's/^/  /' "$work/qb-service.log"
for log in "$work"/LOG/*_SYS.log; do
    [ -e "$log" ] || continue
    echo "The client's system log ($log, CP949, shown in UTF-8):"
    iconv -f CP949 -t UTF-8 "$log" | tr -d '\r' | sed 's/^/  /'
done
exit $status
