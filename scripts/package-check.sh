#!/usr/bin/env bash
# Builds the Debian package from the normal build in build/ and tries it the way a user would:
# lintian without errors; installed with apt-get (as root; otherwise unpacked into a temporary
# root); then an ordinary user with a clean login environment runs "cv --demo", "cv --scan" and
# "cv --query"; a reinstall and the removal of the package must leave that user's data as it was.
set -euo pipefail
cd "$(dirname "$0")/.."

account=cvpkgcheck
work=$(mktemp -d)
chmod 755 "$work"
installed=no
made_account=no

cleanup() {
    if [ "$installed" = yes ]; then
        DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq corvane-net >/dev/null || true
    fi
    if [ "$made_account" = yes ]; then
        userdel "$account" || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "package check: $*" >&2
    exit 1
}

step() {
    echo "== $* ($(date -u +%H:%M:%S))"
}

bash scripts/install-deps.sh
step "building the package from build/"
[ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja
cmake --build build
rm -f build/corvane-net_*.deb
(cd build && cpack -G DEB >/dev/null)
package=$(ls build/corvane-net_*_amd64.deb)
echo "$package: $(stat -c %s "$package") bytes, installed size $(dpkg-deb -f "$package" Installed-Size) KiB"

step "lintian"
lintian --fail-on error "$package" ||
    fail "lintian found errors in $package"

# The user and the way cv is found: an installed package puts cv on the PATH; an unpacked one is
# run from the temporary root, where it finds its installed copies as in /usr.
home="$work/home"
if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
    step "installing with apt-get"
    dpkg-query -W -f='${Status}' corvane-net 2>/dev/null | grep -q "install ok installed" &&
        fail "a corvane-net package is installed already; the check would remove it"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$package" >/dev/null
    installed=yes
    command -v cv >/dev/null || fail "cv is not on the PATH after the install"
    systemd-analyze --help >/dev/null 2>&1 && man --version >/dev/null 2>&1 &&
        { systemd-analyze verify /usr/lib/systemd/user/corvane-net-scan.{service,timer} ||
            fail "systemd-analyze finds faults in the scan service or timer"; }
    # An account left by a check that was killed would make useradd fail.
    if id "$account" >/dev/null 2>&1; then userdel "$account"; fi
    useradd --home-dir "$home" --create-home --shell /bin/sh "$account"
    made_account=yes
    as_user() { runuser -l "$account" -c "$1"; }
    program=cv
else
    step "unpacking into a temporary root (installing needs root and apt-get)"
    dpkg-deb -x "$package" "$work/root"
    mkdir -p "$home"
    as_user() { env -i HOME="$home" PATH=/usr/bin:/bin sh -c "cd && $1"; }
    program="$work/root/usr/bin/cv"
fi

step "cv --demo, cv --scan, cv --query as an ordinary user"
as_user "$program --demo" || fail "cv --demo failed"
as_user "$program --scan" || fail "cv --scan failed"
rows=$(as_user "$program --query 'SELECT COUNT(*) AS n FROM Detail'" | sed -n '2s/"//gp' | tr -d '\r')
[ "${rows:-0}" -gt 0 ] || fail "the scan recorded no rows (cv --query gave '${rows}')"
echo "the scan recorded $rows Detail rows"
folder="$home/.local/share/corvane-net"
for f in cv.mdb faq.fil netware.conf demo/netware.conf; do
    [ -e "$folder/$f" ] || fail "$folder/$f is missing"
done
as_user "$program --write-timer" || fail "cv --write-timer failed"
grep -q '^OnCalendar=\*-\*-\* [0-9][0-9]:[0-9][0-9]:00$' \
    "$home/.config/systemd/user/corvane-net-scan.timer.d/start-time.conf" || fail "no timer drop-in written"

before=$(cd "$home" && find . -type f -exec sha256sum {} + | sort)
if [ "$installed" = yes ]; then
    step "reinstalling and removing the package"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "./$package" >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq corvane-net >/dev/null
    installed=no
    [ ! -e /usr/bin/cv ] || fail "/usr/bin/cv is still there after the removal"
fi
after=$(cd "$home" && find . -type f -exec sha256sum {} + | sort)
[ "$before" = "$after" ] || fail "the user's files changed: $(diff <(echo "$before") <(echo "$after"))"
step "the package check passed"
