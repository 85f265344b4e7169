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
if [ "$(id -u)" -ne 0 ]; then
    # A fresh Debian has no sudo unless the installer was given no root password.
    if ! command -v sudo >/dev/null; then
        echo "install-deps: these Debian packages are missing: ${missing[*]}" >&2
        echo "install-deps: installing them needs root, and there is no sudo. Either run" >&2
        echo "install-deps:   su -c 'bash $0'" >&2
        echo "install-deps: (root's password) and then again what you ran, or as root install sudo and" >&2
        echo "install-deps: let your account use it: apt-get install sudo; adduser $(id -un) sudo; log in again." >&2
        exit 1
    fi
    sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
