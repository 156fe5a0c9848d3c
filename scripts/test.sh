#!/usr/bin/env bash
# Installs what is missing, builds, runs every test (the storage tests on the embedded engine
# and on a PostgreSQL server started for the run), and fuzzes the import lines for a short time
# (FUZZ_SECONDS, default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
# a throwaway PostgreSQL server for the tests that run on both engines; stopped and removed
# whatever the outcome, and a server that cannot start fails the command
server_dir="$PWD/build/pg-server"
trap 'bash scripts/pg-server.sh stop "$server_dir"' EXIT
RET_TEST_PG="$(bash scripts/pg-server.sh start "$server_dir")"
export RET_TEST_PG RET_REQUIRE_PG=1
ctest --test-dir build --output-on-failure -j "$(nproc)"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
