#!/bin/sh
# Checks a Tessaline .deb: its files (programs, menu entry, icon, graph file
# type), its dependencies, that the programs find every library, that
# tessaline-cli answers --version and renders and exports the bundled
# example, and that the desktop program starts under Xvfb and runs until it
# is stopped. The package is unpacked into a temporary root; with --install
# it is also installed with dpkg, checked there and removed again (only when
# no tessaline package was installed before). No network; a few seconds.
#
# Usage: scripts/check-deb.sh PACKAGE.deb [--install]
set -eu
deb=$(realpath "$1")
install=${2:-}
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $1" >&2
    failures=$((failures + 1))
}
ok() { echo "ok: $1"; }

dpkg-deb -x "$deb" "$work/root"
for f in usr/bin/tessaline usr/bin/tessaline-cli usr/share/applications/tessaline.desktop \
    usr/share/mime/packages/tessaline-graph.xml usr/share/icons/hicolor/scalable/apps/tessaline.svg; do
    [ -e "$work/root/$f" ] || fail "missing /$f"
done
ok "files in place"
xmllint --noout "$work/root/usr/share/mime/packages/tessaline-graph.xml" || fail "MIME file is not XML"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$work/root/usr/share/applications/tessaline.desktop" || fail "menu entry"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6svg6 libassimp5 libpugixml1v5 libzip4 libfreexl1 fonts-dejavu-core \
    libgl1-mesa-dri; do
    echo "$depends" | grep -q "\b$p\b" || fail "Depends lacks $p"
done
ok "dependencies named"

for program in tessaline tessaline-cli; do
    if ldd "$work/root/usr/bin/$program" | grep "not found"; then fail "$program lacks a library"; fi
done
ok "libraries found"

# Run from the unpacked root, or from /usr after --install.
run_checks() {
    bin=$1
    version=$(dpkg-deb -f "$deb" Version)
    [ "$("$bin/tessaline-cli" --version)" = "tessaline-cli $version" ] || fail "tessaline-cli --version"
    "$bin/tessaline-cli" render "$here/examples/surface.xyz" -o "$work/surface.png" --size 200x150 \
        >/dev/null || fail "tessaline-cli render"
    [ -s "$work/surface.png" ] || fail "render wrote no picture"
    "$bin/tessaline-cli" export "$here/examples/surface.xyz" -o "$work/surface.glb" >/dev/null ||
        fail "tessaline-cli export"
    # Running until the timeout stops it (status 124) means it started and stayed up.
    status=0
    HOME="$work/home" xvfb-run -a -s "-screen 0 1280x1024x24" timeout 5 "$bin/tessaline" \
        >"$work/gui.log" 2>&1 || status=$?
    [ "$status" -eq 124 ] || { cat "$work/gui.log" >&2; fail "tessaline ended with $status before the timeout"; }
    ok "programs run from $bin"
}
mkdir -p "$work/home"
run_checks "$work/root/usr/bin"

if [ "$install" = --install ]; then
    if dpkg-query -W -f='${Status}' tessaline 2>/dev/null | grep -q "install ok installed"; then
        fail "a tessaline package is installed already: not replacing it"
    else
        sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo dpkg -i "$deb" >/dev/null
        run_checks /usr/bin
        [ -e /usr/share/mime/packages/tessaline-graph.xml ] || fail "MIME type not installed"
        $sudo dpkg -r tessaline >/dev/null
        [ ! -e /usr/bin/tessaline ] || fail "dpkg -r left /usr/bin/tessaline"
        ok "installed and removed"
    fi
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package checks pass"
