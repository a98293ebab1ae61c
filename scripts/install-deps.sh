#!/bin/sh
# Installs the Debian packages Tessaline needs to build, test and run; only
# the missing ones, so it is cheap to run every time.
set -eu

packages="
cmake g++ make pkg-config
qt6-base-dev libqt6opengl6-dev libqt6svg6
libgl-dev libglu1-mesa-dev libegl-dev libegl1-mesa-dev libgl1-mesa-dri
libfreetype-dev libfontconfig-dev fonts-dejavu-core
zlib1g-dev libpng-dev
libpugixml-dev libzip-dev libfreexl-dev libexpat1-dev libgsf-1-dev libassimp-dev
libgtest-dev libgmock-dev libbenchmark-dev
xvfb xauth
dpkg-dev file libxml2-utils
"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
# shellcheck disable=SC2086
$sudo apt-get install -y -q --no-install-recommends $missing
