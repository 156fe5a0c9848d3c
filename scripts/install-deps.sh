#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the sample environment need; only the
# missing ones, and without recommends. clang with its libFuzzer runtime builds the fuzz target;
# llvm brings the symbolizer that gives its reports their source lines. qt6-translations-l10n
# holds Qt's Spanish texts for the standard buttons of message boxes and dialogs. postgresql is
# the server the tests start for the storage tests on the server engine; postgresql-client's
# pg_dump and pg_restore make and prove a server's backups. dpkg-dev computes the
# Debian package's Depends from the programs' shared libraries. libcairo2-dev writes the PDF
# files page by page.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    libgtest-dev
    qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql qt6-translations-l10n
    libsqlite3-dev sqlite3
    libcairo2-dev
    postgresql postgresql-client
    fonts-liberation2
    xvfb xauth
    poppler-utils
    dpkg-dev
    clang libclang-rt-14-dev llvm
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
