#!/usr/bin/env bash
# The Debian package, as an office would get it: built by CPack from this build tree, its
# contents and Depends checked, installed into an empty root with dpkg (no container: a root
# of its own, `dpkg --root`), and its programs run from there on an environment laid out by
# the installed hub: set-up, an import saved, and the declaration printed to PDF.
#   package-test.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
    echo "package-test: $*" >&2
    exit 1
}

(cd "$build" && cpack -G DEB -B "$work/out" > "$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb="$(ls "$work"/out/retdecl_*.deb)"

contents="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for path in ./usr/bin/retdecl ./usr/bin/retcheck ./usr/bin/retsumm ./usr/bin/retsetup \
    ./usr/bin/hub ./usr/share/retdecl/ayuda/index.html ./usr/share/retdecl/ayuda/1102.html \
    ./usr/share/retdecl/ayuda/ayuda.css; do
    grep -qx -- "$path" <<< "$contents" || fail "the package lacks $path"
done
if grep -E '_tests$|_bench$|helpgen|fuzz|gtest' <<< "$contents"; then
    fail "tests or benchmarks are in the package"
fi
depends="$(dpkg-deb -f "$deb" Depends)"
for dep in libqt6sql6-sqlite libqt6sql6-psql fonts-liberation2 qt6-translations-l10n libqt6widgets6 postgresql-client; do
    grep -qw -- "$dep" <<< "$depends" || fail "Depends does not name $dep: $depends"
done

# an empty root with a dpkg database of its own; the dependencies are this machine's
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --force-depends --force-not-root --force-script-chrootless \
    --log=/dev/null -i "$deb" > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -i failed"; }
bin="$root/usr/bin"
[ -x "$bin/retdecl" ] || fail "retdecl was not installed"

# the road from the installed programs: nothing may come from the build tree
env_dir="$work/env"
export HUB000_INI="$env_dir/HUB000.INI" RET_HEADLESS=1 QT_QPA_PLATFORM=offscreen
"$bin/hub" init "$env_dir" --ini "$HUB000_INI" > "$work/hub.log" 2>&1 ||
    { cat "$work/hub.log" >&2; fail "hub init from the package failed"; }
[ -f "$env_dir/0947/ayuda/index.html" ] || fail "retsetup did not lay the help out"
"$bin/retsetup" > "$work/setup.log" 2>&1 || { cat "$work/setup.log" >&2; fail "retsetup failed"; }
# the sample file has three lines the import refuses: exit code 1, the rest saved
status=0
"$bin/retdecl" --import "$env_dir/import" 20100070970 201007 --save > "$work/import.log" 2>&1 ||
    status=$?
[ "$status" -eq 1 ] && grep -q "5 Transferidos" "$work/import.log" ||
    { cat "$work/import.log" >&2; fail "the import from the package ended with $status"; }
"$bin/retdecl" --print 20100070970 201007 declaracion --pdf "$work/decl.pdf" \
    > "$work/print.log" 2>&1 || { cat "$work/print.log" >&2; fail "retdecl --print failed"; }
head -c 5 "$work/decl.pdf" | grep -q '%PDF-' || fail "no PDF was written"
echo "package-test: $(basename "$deb") installs and runs"
