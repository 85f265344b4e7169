#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need,
# only those that are missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-charts-dev qt6-datavisualization-dev qt6-declarative-dev
    libqt6sql6-sqlite libsqlite3-dev sqlite3 libgtest-dev
    zlib1g-dev liblzma-dev libzstd-dev
    xvfb xauth libgl1-mesa-dri libglx-mesa0 qt6-qpa-plugins imagemagick fonts-liberation
    clang libclang-rt-14-dev
    samba samba-vfs-modules smbclient
    postgresql-15 libpq-dev
    dpkg-dev file lintian
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
