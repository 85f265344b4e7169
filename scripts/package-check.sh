#!/usr/bin/env bash
# Builds the Debian package and tries it the way a user and an administrator would:
#   - builds the program alone (no tests) in build-package/, in the project's default build type
#     (which must be the optimised one without assertions) with Debian's hardening flags from
#     dpkg-buildflags, and checks that the compiler got them;
#   - lintian: no errors and no hardening tags;
#   - installs it with apt-get (as root; otherwise unpacks it into a temporary root and stops after
#     the user's part);
#   - an ordinary user with a clean login environment runs "cv --demo", "cv --scan", "cv --query"
#     and "cv --write-timer";
#   - the server install: the account corvane-net and its folder, the system units (verified by
#     systemd-analyze, shipped disabled), and the service's ExecStart line run as the account with
#     the unit's environment and capability over the demo network, through a folder only that
#     capability lets it list;
#   - root's cv with "Auto-run when PC boots up" writes the machine's settings in /etc/corvane-net
#     and an autostart entry that starts nothing once cv is removed;
#   - reinstalls and removes the package (the user's files as they were, the service's folder
#     kept), then purges it (the account, /etc/corvane-net and /var/lib/corvane-net gone, the
#     user's files still as they were).
# It takes about 12 minutes of CPU time, nearly all of it the build (some 7 minutes on 2 idle
# cores, the rest about a minute); it refuses to start while a
# corvane-net package, its account or its folders exist, since it removes and purges them.
set -euo pipefail
cd "$(dirname "$0")/.."

account=cvpkgcheck
service_account=corvane-net
service_folder=/var/lib/corvane-net
build=build-package
work=$(mktemp -d)
chmod 755 "$work"
installed=no
made_account=no
started=$(date +%s)

cleanup() {
    if [ "$installed" != no ]; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq corvane-net >/dev/null || true
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
    echo "== $* ($(date -u +%H:%M:%S), $(($(date +%s) - started)) s in)"
}

apt() {
    DEBIAN_FRONTEND=noninteractive apt-get "$@" -y -qq >/dev/null
}

echo "package check: builds the program and the Debian package in $build/, runs lintian, installs it,"
echo "scans as a user and as the system service's account, then removes and purges it: about 12 minutes"
echo "of CPU time, nearly all of it the build (some 7 minutes on 2 idle cores)"
bash scripts/install-deps.sh

as_root=no
if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
    as_root=yes
    dpkg-query -W -f='${Status}' corvane-net 2>/dev/null | grep -q "install ok installed" &&
        fail "a corvane-net package is installed already; the check would remove it"
    for left in /etc/corvane-net "$service_folder"; do
        [ ! -e "$left" ] || fail "$left exists already; the check would purge it"
    done
    ! getent passwd "$service_account" >/dev/null ||
        fail "the account $service_account exists already; the check would purge it"
fi

step "building the package in $build/ (the program only, with dpkg-buildflags)"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
flags=(-DCV_BUILD_TESTS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "-DCMAKE_CXX_FLAGS=$cxxflags"
       "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" "-DCMAKE_SHARED_LINKER_FLAGS=$ldflags")
[ "${CI:-}" = "true" ] && flags+=(-DCV_WERROR=ON)
# No build type: the default one is what a package gets, and what the check below looks at.
cmake -S . -B "$build" -G Ninja "${flags[@]}" >/dev/null
# What the install takes from the build folder; the benchmarks and tools are not built.
cmake --build "$build" --target cv cv_database cv_man_pages cv_package_changelog
compile=$(grep -m1 '"command": .*/src/main\.cpp' "$build/compile_commands.json")
for flag in -O2 -DNDEBUG -D_FORTIFY_SOURCE=2 -fstack-protector-strong; do
    grep -q -e " $flag " <<<"$compile " || fail "the package's program is compiled without $flag: $compile"
done
rm -f "$build"/corvane-net_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/corvane-net_*_amd64.deb)
echo "$package: $(stat -c %s "$package") bytes, installed size $(dpkg-deb -f "$package" Installed-Size) KiB"

step "lintian"
lintian --display-info --fail-on error "$package" | tee "$work/lintian.txt" ||
    fail "lintian found errors in $package"
# The flags reached the compiler (checked above). lintian still says hardening-no-fortify-functions
# when glibc needed no checked variant of any call, their sizes being known at compile time, as
# for the only two the program makes (read and poll on the interrupt pipe).
! grep ' hardening-' "$work/lintian.txt" | grep -qv ' hardening-no-fortify-functions ' ||
    fail "lintian finds the program built without hardening"

# The user and the way cv is found: an installed package puts cv on the PATH; an unpacked one is
# run from the temporary root, where it finds its installed copies as in /usr.
home="$work/home"
if [ "$as_root" = yes ]; then
    step "installing with apt-get"
    apt install "./$package"
    installed=yes
    command -v cv >/dev/null || fail "cv is not on the PATH after the install"
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
user_files() { (cd "$home" && find . -type f -exec sha256sum {} + | sort); }
before=$(user_files)

if [ "$as_root" = no ]; then
    step "the package check passed (the server install and the removal need root)"
    exit 0
fi

step "the server install: the account $service_account, its folder, the system units"
units=/usr/lib/systemd/system
if systemd-analyze --help >/dev/null 2>&1 && man --version >/dev/null 2>&1; then
    systemd-analyze verify /usr/lib/systemd/user/corvane-net-scan.{service,timer} ||
        fail "systemd-analyze finds faults in the user's scan service or timer"
    systemd-analyze verify "$units"/corvane-net-scan.{service,timer} ||
        fail "systemd-analyze finds faults in the system's scan service or timer"
    systemd-analyze security --offline=yes "$units/corvane-net-scan.service" | tail -1
fi
[ ! -e /etc/systemd/system/timers.target.wants/corvane-net-scan.timer ] || fail "the system timer is enabled"
IFS=: read -r _ _ _ _ _ service_home service_shell < <(getent passwd "$service_account") ||
    fail "the package made no account $service_account"
[ "$service_home" = "$service_folder" ] || fail "the home of $service_account is $service_home"
[ "$service_shell" = /usr/sbin/nologin ] || fail "$service_account may log in with $service_shell"
id -nG "$service_account" | grep -qw adm || fail "$service_account is not in the group adm: $(id -nG "$service_account")"
[ "$(stat -c '%U %a' "$service_folder")" = "$service_account 700" ] ||
    fail "$service_folder is $(stat -c '%U %a' "$service_folder")"
[ "$(stat -c '%U %a' "$service_folder/cv.mdb")" = "$service_account 600" ] ||
    fail "$service_folder/cv.mdb is $(stat -c '%U %a' "$service_folder/cv.mdb")"
[ "$(readlink "$service_folder/netware.conf")" = /etc/corvane-net/service/netware.conf ] ||
    fail "$service_folder/netware.conf does not lead to the service's configuration"
dpkg-query --showformat='${Conffiles}\n' --show corvane-net | grep -q ' /etc/corvane-net/service/netware.conf ' ||
    fail "/etc/corvane-net/service/netware.conf is no conffile"
for f in /usr/share/man/man5/netware.conf.5.gz /usr/share/doc/corvane-net/README.Debian; do
    [ -f "$f" ] || fail "$f is missing"
done

step "the service's ExecStart as $service_account, with its environment and capability, over the demo"
unit="$units/corvane-net-scan.service"
setting() { sed -n "s/^$1=//p" "$unit"; }
[ "$(setting User)" = "$service_account" ] || fail "the service runs as '$(setting User)'"
capability=$(setting AmbientCapabilities | tr 'A-Z' 'a-z')
capability=${capability#cap_}
[ "$capability" = dac_read_search ] || fail "the service has the capabilities '$(setting AmbientCapabilities)'"
read -r -a service_environment <<<"$(setting Environment)"
read -r -a exec_start <<<"$(setting ExecStart | tr -d '"')"
as_service() {
    setpriv --reuid="$service_account" --regid="$(setting Group)" --init-groups --no-new-privs \
        --inh-caps="+$capability" --ambient-caps="+$capability" --bounding-set="-all,+$capability" \
        env -i PATH=/usr/bin:/bin HOME="$service_folder" "${service_environment[@]}" "$@"
}
# The demo network as the administrator would name a server: relative folders are taken from
# the folder the service reads its netware.conf in.
runuser -u "$service_account" -- cp -r /usr/share/corvane-net/demo "$service_folder/demo"
cat >/etc/corvane-net/service/netware.conf <<'EOF'
[server CORVANE]
version = 3.12
volume VOL1 = demo/VOL1
[server CORVANE4]
version = 4.11
volume DATA = demo/DATA
EOF
as_service cv --demo || fail "cv --demo as $service_account failed"
# A folder only root may list, as a share's folder of one user may be.
private="$service_folder/demo/VOL1/PRIVATE"
install -d -m 0700 "$private"
echo "salaries" >"$private/PAYROLL.TXT"
! runuser -u "$service_account" -- ls "$private" >/dev/null 2>&1 ||
    fail "$service_account lists $private without the capability; the check proves nothing"
as_service "${exec_start[@]}" || fail "the service's ExecStart ($(setting ExecStart)) failed"
count() { as_service cv --query "$1" | sed -n '2s/"//gp' | tr -d '\r'; }
rows=$(count 'SELECT COUNT(*) AS n FROM Detail')
[ "${rows:-0}" -gt 0 ] || fail "the service's scan recorded no rows (cv --query gave '${rows}')"
hidden=$(count "SELECT COUNT(*) AS n FROM Detail WHERE file = 'PAYROLL.TXT'")
[ "${hidden:-0}" -eq 1 ] || fail "the service's scan did not list $private"
echo "the service's scan recorded $rows Detail rows, $private among them"

step "root's cv with \"Auto-run when PC boots up\""
root_home="$work/root-home"
mkdir -p "$root_home/.config/corvane-net"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Corvane Net\\Misc]\r\n"AutoRun"="1"\r\n\r\n' \
    >"$root_home/.config/corvane-net/HKEY_CURRENT_USER.reg"
env -i HOME="$root_home" PATH=/usr/bin:/bin cv --scan >/dev/null 2>&1 || true
grep -q '"Corvane Net"="/usr/bin/cv -t"' /etc/corvane-net/HKEY_LOCAL_MACHINE.reg ||
    fail "root's cv wrote no start-at-boot value into /etc/corvane-net/HKEY_LOCAL_MACHINE.reg"
autostart="$root_home/.config/autostart/corvane-net.desktop"
grep -qx 'TryExec=/usr/bin/cv' "$autostart" || fail "the autostart entry names no TryExec: $(cat "$autostart")"

step "reinstalling and removing the package"
apt install --reinstall "./$package"
apt remove corvane-net
installed=removed
[ ! -e /usr/bin/cv ] || fail "/usr/bin/cv is still there after the removal"
[ "$(user_files)" = "$before" ] || fail "the user's files changed: $(diff <(echo "$before") <(user_files))"
[ -f "$service_folder/cv.mdb" ] && getent passwd "$service_account" >/dev/null ||
    fail "the removal took the service's folder or account, which only a purge may"
# Desktops skip an entry whose TryExec is no program, so the entry left starts nothing.
[ ! -x "$(sed -n 's/^TryExec=//p' "$autostart")" ] || fail "the autostart entry still names a program"

step "purging the package"
apt purge corvane-net
installed=no
for left in /etc/corvane-net "$service_folder"; do
    [ ! -e "$left" ] || fail "$left is still there after the purge: $(ls -A "$left")"
done
! getent passwd "$service_account" >/dev/null || fail "the account $service_account is still there after the purge"
! getent group "$service_account" >/dev/null || fail "the group $service_account is still there after the purge"
[ "$(user_files)" = "$before" ] || fail "the user's files changed: $(diff <(echo "$before") <(user_files))"
step "the package check passed"
