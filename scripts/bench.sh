#!/usr/bin/env bash
# Builds and runs every benchmark, on the embedded file and, with --server, again on a
# PostgreSQL server started for the run (stopped and removed afterwards). Each benchmark prints
# its figures, with their ratio to the engine's own floor where it has one. Run it on an idle
# machine.
#   scripts/bench.sh [--server]
set -euo pipefail
cd "$(dirname "$0")/.."
server=0
case "${1:-}" in
"") ;;
--server) server=1 ;;
*)
    echo "usage: scripts/bench.sh [--server]" >&2
    exit 2
    ;;
esac
# each entry: a benchmark and its arguments; the annex is composed alone, then printed to PDF
# by the program itself for 100,000 payment vouchers (3,001 pages); the viewer's report of
# 5,000 pages goes whole to PDF and is read back
benches=(import_bench declaration_bench annex_bench "annex_bench 100000 --pdf" list_bench
    detail_bench "viewer_bench 5000 5000")
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j "$(nproc)" --target import_bench declaration_bench annex_bench list_bench \
    detail_bench viewer_bench retdecl

run_all() {
    for entry in "${benches[@]}"; do
        read -r -a bench <<< "$entry"
        echo "== $entry ($1)"
        QT_QPA_PLATFORM=offscreen "build/bin/${bench[0]}" "${bench[@]:1}"
    done
}

run_all file
if [ "$server" -eq 1 ]; then
    server_dir="$PWD/build/pg-bench"
    trap 'bash scripts/pg-server.sh stop "$server_dir"' EXIT
    RET_BENCH_PG="$(bash scripts/pg-server.sh start "$server_dir")"
    export RET_BENCH_PG
    # the viewer's report is drawn in memory; it touches no database
    benches=(import_bench declaration_bench annex_bench "annex_bench 100000 --pdf" list_bench
        detail_bench)
    run_all server
fi
