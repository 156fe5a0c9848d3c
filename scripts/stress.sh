#!/usr/bin/env bash
# Builds the programs and the stress tests, then runs only those for about SECONDS in all
# (default 120): a third with several programs at once on one database, a third with several
# programs saving the same declaration at once, a third killing programs part-way, each on the
# file and on a PostgreSQL server started for the run. Prints their
# figures at the end; exits non-zero when a round was wrong.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-120}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/stress.sh [SECONDS]" >&2
    exit 2
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j "$(nproc)" --target stress_tests
# six parts: each test on the file and on a throwaway server of its own
each=$(( seconds / 6 > 0 ? seconds / 6 : 1 ))
server_dir="$PWD/build/pg-stress"
log="$(mktemp)"
trap 'bash scripts/pg-server.sh stop "$server_dir"; rm -f "$log"' EXIT
RET_TEST_PG="$(bash scripts/pg-server.sh start "$server_dir")"
export RET_TEST_PG RET_REQUIRE_PG=1
status=0
for test in '*ConcurrencyTest.*' '*SharedDeclarationStress.*' '*KillPointTest.*'; do
    RET_STRESS_SECONDS="$each" QT_QPA_PLATFORM=offscreen \
        build/bin/stress_tests --gtest_filter="$test" 2>&1 | tee -a "$log" || status=1
done
echo
grep '^stress:' "$log" || true
exit "$status"
