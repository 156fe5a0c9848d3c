#!/usr/bin/env bash
# Installs what is missing, builds, runs every test, and fuzzes the import lines for a short
# time (FUZZ_SECONDS, default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
ctest --test-dir build --output-on-failure -j "$(nproc)"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
