#!/usr/bin/env bash
# The demo: the stand-in service on loopback with a demo account, and a send job
# by qbsend exactly as the client makes it (login, preview, send, the server's
# result); then the service's results page shows what it stored.
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
    grep -q '^send-port ' "$ports" && break
    kill -0 "$service" 2>/dev/null || break
    sleep 0.1
done
port=$(awk '/^login-port /{print $2}' "$ports")
if [ -z "$port" ]; then
    echo "demo: qb-service did not start:" >&2
    cat "$work/qb-service.log" >&2
    exit 1
fi
web=$(awk '/^web-port /{print $2}' "$ports")
send=$(awk '/^send-port /{print $2}' "$ports")
printf '[SERVICE]\r\nHOST=127.0.0.1\r\nLOGIN_PORT=%s\r\nSEND_PORT=%s\r\nWEB_PORT=%s\r\n' "$port" "$send" "$web" \
    >"$work/service.ini"
printf '01012345678\n01087654321\n01055556666\n' >"$work/recipients.txt"

echo "qb-service is listening on 127.0.0.1 (login $port, send $send, web $web), account demo / demo1234"
send_job=(build/tools/qbsend/qbsend --workdir "$work" --id demo --password demo1234 --text "$work/recipients.txt"
    --number-column 1 --callback 0212345678 --message "퀼뱅크 데모 문자입니다.")
echo "${send_job[*]}"
status=0
"${send_job[@]}" || status=$?
if [ $status -eq 0 ]; then
    echo "Sent; the service took every message (exit status 0)."
else
    echo "The send failed (exit status $status)."
fi

results="http://127.0.0.1:$web/ClientStatMgrd.jsp?mode=init&cid=demo"
echo
echo "The service's results page ($results, while the service runs):"
curl -s "$results" | iconv -f CP949 -t UTF-8 | sed -e 's/<\/t[dh]>/ | /g' -e 's/<[^>]*>//g' -e '/^ *$/d' | sed 's/^/  /'

echo
echo "What the service saw ($work/qb-service.log):"
sed 's/^/  /' "$work/qb-service.log"
for log in "$work"/LOG/*_SYS.log; do
    [ -e "$log" ] || continue
    echo "The client's system log ($log, CP949, shown in UTF-8):"
    iconv -f CP949 -t UTF-8 "$log" | tr -d '\r' | sed 's/^/  /'
done
exit $status
