#!/bin/sh
# Installs the Debian packages NUVA needs to build, run and test, and only
# those that are missing, so that a machine that has them pays nothing.
set -e
PACKAGES="cmake g++ make clang libclang-rt-14-dev libsdl2-dev libpng-dev libgtest-dev \
wget xvfb xdotool x11-apps x11-xserver-utils python3"
missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
