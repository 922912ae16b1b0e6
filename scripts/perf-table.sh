#!/usr/bin/env bash
# Runs the benchmarks behind the README's performance table on this machine, in
# one go, and prints the table's rows (Markdown). Each figure comes with its
# anchor from the same run: the standard tools for the dry run, a plain write loop
# for the send job, the goals for the rest. Needs the normal build (build/) and
# python3. Takes a few minutes: ten million rows are generated first.
set -euo pipefail
cd "$(dirname "$0")/.."

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen

run() {
    local name=$1 binary=$2 filter=$3
    "$binary" --benchmark_filter="$filter" --benchmark_format=json >"$out/$name.json" 2>"$out/$name.log" ||
        { cat "$out/$name.log" >&2; exit 1; }
}
# One after the other: two at once would share the two cores.
(cd build/bench/send && run send "$PWD/send_bench" 'DryRunEndToEnd|XlsxSheet1M/')
(cd build/bench/net && run job "$PWD/bench_send_job" 'journal:1')
(cd build/bench/gui && run gui "$PWD/gui_bench" 'Form10M')

python3 - "$out" <<'EOF'
import json, os, sys
d = sys.argv[1]
bench = {}
for name in ("send", "job", "gui"):
    for b in json.load(open(os.path.join(d, name + ".json")))["benchmarks"]:
        bench[b["name"].split("/")[0]] = b
def row(what, goal, measured, anchor):
    print(f"| {what} | {goal} | {measured} | {anchor} |")
print(f"Machine: {os.cpu_count()} cores, load average {os.getloadavg()[0]:.2f} at the end.")
print()
print("| what | goal | measured | anchor (same run) |")
print("|---|---|---|---|")
for rows, key in (("1,000,000", "BM_DryRunEndToEnd1M"), ("10,000,000", "BM_DryRunEndToEnd10M")):
    b = bench[key]
    row(f"dry run, {rows} rows and as many reject numbers", "≥ 2× the tools, < 100 B/row",
        f"{b['dry_run_best_ms'] / 1000:.2f} s, {b['bytes_per_row']:.0f} B/row, {b['speedup']:.2f}×",
        f"cut, sort -u, sort, comm: {b['tools_best_ms'] / 1000:.2f} s")
b = bench["BM_MillionSmsRecords"]
row("send job, 1,000,000 SMS over loopback, journal on", "≥ 0.9 of the plain loop",
    f"{b['job_records_per_s'] / 1e6:.2f} M records/s, {b['job_to_plain']:.2f}",
    f"plain write loop: {b['plain_records_per_s'] / 1e6:.2f} M records/s; with 64 records a send: "
    f"{b['plain_runs_records_per_s'] / 1e6:.2f} M records/s (job {b['job_to_plain_runs']:.2f} of it)")
b = bench["BM_XlsxSheet1M"]
row("1,048,576-row .xlsx into the table", "< 1 s, < 256 MiB",
    f"{b['best_ms'] / 1000:.2f} s, {b['peak_MiB']:.0f} MiB", "the goal")
b = bench["BM_Form10M"]
row("client with 10,000,000 rows", "scrolls and jumps without delay",
    f"load {b['load_ms'] / 1000:.1f} s, worst jump {b['jump_worst_ms']:.0f} ms, worst scroll "
    f"{b['scroll_worst_ms']:.0f} ms, preview {b['preview_ms'] / 1000:.1f} s, {b['peak_MiB']:.0f} MiB",
    "the goal")
EOF
