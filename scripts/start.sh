#!/usr/bin/env bash
# Installs what is missing, builds, and prepares the sample environment (once; later runs reuse
# it). The profile file goes where the programs look for it: $HUB000_INI, else
# ~/.config/velkar/HUB000.INI.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh

sample="${VELKAR_SAMPLE:-$HOME/velkar-sample}"
profile="${HUB000_INI:-$HOME/.config/velkar/HUB000.INI}"
if [ -f "$sample/HUB000.db" ] && [ -f "$profile" ]; then
    echo "Using the sample environment in $sample (profile $profile)."
else
    ./build/bin/hub init "$sample" --ini "$profile"
fi
export HUB000_INI="$profile"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to show the windows on: run this from a desktop session"
    echo "(or under a virtual one: xvfb-run -a bash scripts/start.sh)."
    exit 1
fi
# the integrator's window, with the module started from it
exec ./build/bin/hub run --launch
