#!/usr/bin/env bash
# Builds the Debian packages from the build folder and checks what each holds: the program,
# its libraries, data, menu entry and manual page in the runtime package with the
# dependencies dpkg-shlibdeps found; headers, CMake package, pkg-config file and the
# libraries' development links in the development package alone.
# Arguments: BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
(cd "$build" && cpack -G DEB -B "$work" >/dev/null) || fail "cpack could not build the packages"
runtime=$(echo "$work"/tarvo-archive_*.deb)
dev=$(echo "$work"/libtarvoarchive-dev_*.deb)
[ -f "$runtime" ] && [ -f "$dev" ] || fail "packages made: $(ls "$work")"
dpkg-deb -c "$runtime" | awk '{print substr($6, 2)}' >"$work/runtime"
dpkg-deb -c "$dev" | awk '{print substr($6, 2)}' >"$work/dev"

holds() { # LIST PATTERN...
    local list=$1
    shift
    for pattern in "$@"; do
        grep -Eqx "$pattern" "$work/$list" || fail "the $list package lacks $pattern"
    done
}
holds runtime /usr/bin/tarvo-archive /usr/bin/tarvo-archive-earlier /usr/bin/tarvo-dbtool \
    '/usr/lib/[a-z0-9_-]+/libtarvoarchive\.so\.1' '/usr/lib/[a-z0-9_-]+/libtarvo_suite\.so\.1' \
    '/usr/lib/[a-z0-9_-]+/libtarvoarchive_earlier\.so\.1' \
    '/usr/share/applications/.*\.desktop' '/usr/share/metainfo/.*\.metainfo\.xml' \
    '/usr/share/icons/hicolor/scalable/apps/.*\.svg' \
    /usr/share/tarvo-archive/seed/banks\.sql /usr/share/tarvo-archive/help/zh-CN/index\.html \
    /usr/share/tarvo-archive/translations/tarvoarchive_en_US\.qm
holds dev /usr/include/tarvoarchive/ITarvoArchive\.h /usr/include/tarvoarchive/ILogin\.h \
    '/usr/lib/[a-z0-9_-]+/cmake/TarvoArchive/TarvoArchiveConfig\.cmake' \
    '/usr/lib/[a-z0-9_-]+/pkgconfig/tarvoarchive\.pc' '/usr/lib/[a-z0-9_-]+/libtarvoarchive\.so'
for program in $(grep '^/usr/bin/.' "$work/runtime"); do
    holds runtime "/usr/share/man/man1/${program##*/}\.1\.gz"
done
if grep -E '^/usr/include/|\.so$' "$work/runtime"; then
    fail "development files in the runtime package"
fi
if grep -Ex '.*\.so\.[0-9.]+|/usr/bin/.*' "$work/dev"; then
    fail "runtime files in the development package"
fi
depends=$(dpkg-deb -f "$runtime" Depends)
for package in libqt6widgets6 libsqlite3-0 libpq5 qt6-qpa-plugins; do
    grep -q "$package" <<<"$depends" || fail "the runtime package does not depend on $package"
done
dpkg-deb -f "$dev" Depends | grep -q "tarvo-archive (= $(dpkg-deb -f "$runtime" Version))" ||
    fail "the development package does not depend on its runtime package's version"
echo "packages checked"
