#!/usr/bin/env bash
# Builds the programs for /usr and their Debian package, build/retdecl_<version>_<arch>.deb;
# prints its path. Install it on a PC with `apt install ./build/retdecl_..._amd64.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j "$(nproc)" --target retdecl retcheck retsumm retsetup hub
(cd build && cpack -G DEB > /dev/null)
ls build/retdecl_*.deb
