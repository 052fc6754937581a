#!/usr/bin/env bash
# Builds the Debian packages from the build folder and checks what each holds: the program,
# its libraries, data, menu entry and manual page in the runtime package with the
# dependencies dpkg-shlibdeps found; headers, CMake package, pkg-config file and the
# libraries' development links in the development package alone, with the example host; each
# package's terms where Debian looks for them, and a maintainer who can be written to.
# Arguments: BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
(cd "$build" && cpack -G DEB -B "$work" >/dev/null) || fail "cpack could not build the packages"
runtime=$(echo "$work"/tarvo-archive_*.deb)
dev=$(echo "$work"/libtarvoarchive-dev_*.deb)
[ -f "$runtime" ] && [ -f "$dev" ] || fail "packages made: $(ls "$work")"
dpkg-deb -c "$runtime" | awk '{print substr($6, 2)}' >"$work/runtime"
dpkg-deb -c "$dev" | awk '{print substr($6, 2)}' >"$work/dev"

# holds LIST PATTERN...: the package holds a file matching each pattern, under the prefix.
holds() {
    local list=$1
    shift
    for pattern in "$@"; do
        grep -Eqx "$prefix/$pattern" "$work/$list" || fail "the $list package lacks $pattern"
    done
}
lib='lib(/[a-z0-9_-]+)?'
holds runtime bin/tarvo-archive bin/tarvo-archive-earlier bin/tarvo-dbtool \
    "$lib/libtarvoarchive\.so\.1" "$lib/libtarvo_suite\.so\.1" \
    "$lib/libtarvoarchive_earlier\.so\.1" \
    'share/applications/.*\.desktop' 'share/metainfo/.*\.metainfo\.xml' \
    'share/icons/hicolor/scalable/apps/.*\.svg' share/tarvo-archive/seed/banks\.sql \
    share/tarvo-archive/help/zh-CN/index\.html \
    share/tarvo-archive/translations/tarvoarchive_en_US\.qm \
    share/doc/tarvo-archive/copyright
holds dev include/tarvoarchive/ITarvoArchive\.h include/tarvoarchive/ILogin\.h \
    "$lib/cmake/TarvoArchive/TarvoArchiveConfig\.cmake" "$lib/pkgconfig/tarvoarchive\.pc" \
    "$lib/libtarvoarchive\.so" share/doc/libtarvoarchive-dev/copyright \
    share/doc/libtarvoarchive-dev/examples/host/CMakeLists\.txt \
    share/doc/libtarvoarchive-dev/examples/host/main\.cpp
for program in $(grep "^$prefix/bin/." "$work/runtime"); do
    holds runtime "share/man/man1/${program##*/}\.1\.gz"
done
if grep -E "^$prefix/include/|\\.so\$" "$work/runtime"; then
    fail "development files in the runtime package"
fi
if grep -Ex ".*\\.so\\.[0-9.]+|$prefix/bin/.*" "$work/dev"; then
    fail "runtime files in the development package"
fi
depends=$(dpkg-deb -f "$runtime" Depends)
for package in libqt6widgets6 libsqlite3-0 libpq5 qt6-qpa-plugins qt6-translations-l10n; do
    grep -q "$package" <<<"$depends" || fail "the runtime package does not depend on $package"
done
dpkg-deb -f "$dev" Depends | grep -q "tarvo-archive (= $(dpkg-deb -f "$runtime" Version))" ||
    fail "the development package does not depend on its runtime package's version"
dpkg-deb -f "$dev" Depends | grep -Eq '(^|, )pkg-config(,|$)' ||
    fail "the development package does not depend on pkg-config, which its .pc file is for"

for deb in "$runtime" "$dev"; do
    package=$(dpkg-deb -f "$deb" Package)
    maintainer=$(dpkg-deb -f "$deb" Maintainer)
    grep -Eqx '[^<>@]+ <[^<>@ ]+@[^<>@ ]+\.[a-z]+>' <<<"$maintainer" ||
        fail "$package: the maintainer \"$maintainer\" is not a name and an address"
    if grep -Eqi '@(localhost|[^>]*\.local)>' <<<"$maintainer"; then
        fail "$package: the maintainer's address \"$maintainer\" reaches nobody"
    fi
    # The machine-readable format, a paragraph for every file, each naming its licence.
    terms=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ".$prefix/share/doc/$package/copyright")
    head -1 <<<"$terms" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
        fail "$package: the copyright file is not in Debian's format"
    grep -qx 'Files: \*' <<<"$terms" || fail "$package: the copyright file leaves files out"
    [ "$(grep -c '^Files:' <<<"$terms")" -eq "$(grep -c '^License:' <<<"$terms")" ] ||
        fail "$package: a paragraph of the copyright file names no licence"
done
echo "packages checked"
