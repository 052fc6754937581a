#!/usr/bin/env bash
# Installs the build under a temporary root as the package lays it out, and checks what a clerk
# and a host developer get from there: the desktop entry and metadata pass Debian's checkers,
# the program runs from the staged paths with the staged libraries and data (no
# LD_LIBRARY_PATH), and the example host the development package ships builds and runs against
# the staged development files.
# Arguments: BUILD_DIR CXX_COMPILER CXX_FLAGS EXE_LINKER_FLAGS
set -euo pipefail
build=$1 cxx=$2 cxxflags=$3 ldflags=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
unset LD_LIBRARY_PATH XDG_DATA_HOME
export QT_QPA_PLATFORM=offscreen HOME=$work/home
mkdir "$HOME"

stage=$work/root
DESTDIR=$stage cmake --install "$build" >/dev/null
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
root=$stage$prefix

# One menu entry per archive: the bank archive and the company's bank accounts, each named in
# English and in Chinese, so that the menu speaks the desktop's language as the program does.
archives=""
for desktop in "$root"/share/applications/*.desktop; do
    desktop-file-validate "$desktop" || fail "desktop-file-validate refused $desktop"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -f "$root/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon $icon installed"
    program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    [ -x "$root/bin/$program" ] || fail "the menu entry starts $program, which is not installed"
    grep -q '^Name=[A-Za-z]' "$desktop" || fail "$desktop has no English name"
    grep -q '^Name\[zh_CN\]=' "$desktop" || fail "$desktop has no Chinese name"
    # The program takes its language from the desktop's locale, as the entry's name does.
    ! grep -q -- '--lang' "$desktop" || fail "$desktop fixes the language"
    archives+="$(sed -n 's/^Exec=.*--archive \([a-z_]*\).*/\1/p' "$desktop") "
done
[ "$(tr ' ' '\n' <<<"$archives" | sort | xargs)" = "aa_bank bank" ] ||
    fail "the menu entries open $archives instead of the bank archive and the bank accounts"
appstreamcli validate --no-net "$root"/share/metainfo/*.metainfo.xml ||
    fail "appstreamcli refused the metainfo"

host=$root/bin/tarvo-archive
version=$("$host" --version | sed -n 's/^tarvo-archive \([0-9][0-9.]*\)$/\1/p')
[ -n "$version" ] || fail "--version of the staged program"
# What describes the program names the version it is.
grep -q "<release version=\"$version\"" "$root"/share/metainfo/*.metainfo.xml ||
    fail "the metainfo has no release $version"
zcat "$root/share/man/man1/tarvo-archive.1.gz" | grep -q "^\.TH .*\"tarvo-archive $version\"" ||
    fail "the manual page is not of version $version"
if ldd "$host" | grep libtarvo | grep -v "=> $stage/"; then
    fail "the staged program loads libraries from outside the staging root"
fi

# The staged translations: a refusal in English.
set +e
refusal=$("$host" --lang en-US --archive nothing 2>&1 >/dev/null)
status=$?
set -e
[ "$status" -eq 2 ] || fail "an unknown archive ended with status $status"
grep -q 'There is no archive "nothing"' <<<"$refusal" || fail "not in English: $refusal"

# The seed data is read from the staging root and nowhere else: without it there, the first
# start says which file it misses.
data=$root/share/tarvo-archive
mv "$data/seed" "$data/seed.away"
set +e
missing=$(HOME=$work/nobody "$host" --screenshot "$work/none.png" 2>&1 >/dev/null)
status=$?
set -e
mv "$data/seed.away" "$data/seed"
[ "$status" -eq 1 ] && grep -qF "$data/seed/" <<<"$missing" ||
    fail "without the staged seed data the program started ($status): $missing"
[ ! -e "$work/nobody/.local/share/TarvoArchive/account.db" ] ||
    fail "a database that could not be made was left behind"

# The user's own database, made from the staged seed data, and a picture of the window.
"$host" --archive bank --sysid NB --screenshot "$work/list.png" 2>"$work/shot.err" ||
    fail "screenshot from the staged paths: $(cat "$work/shot.err")"
[ "$(head -c 4 "$work/list.png" | tail -c 3)" = PNG ] || fail "no PNG picture"
[ -s "$HOME/.local/share/TarvoArchive/account.db" ] || fail "no database in the user's folder"

# The example host as the development package ships it, against the staged development files
# alone.
example=$root/share/doc/libtarvoarchive-dev/examples/host
[ -f "$example/CMakeLists.txt" ] || fail "no example host in the staged documentation"
# Paths under the temporary folder are written relative, so a second run reuses the cache.
export CCACHE_BASEDIR=$work CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$example" -B "$work/example" -G Ninja -DCMAKE_PREFIX_PATH="$root" \
    -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "${launcher[@]}" >/dev/null
cmake --build "$work/example" >/dev/null || fail "the example host does not build"
if ldd "$work/example/example-host" | grep libtarvo | grep -v "=> $stage/"; then
    fail "the example host links libraries from outside the staging root"
fi
out=$("$work/example/example-host" --db "$work/example.db" --close-when-open 2>"$work/ex.err") ||
    fail "the example host failed: $(cat "$work/ex.err")"
grep -q '^opened: ' <<<"$out" && grep -qx closed <<<"$out" ||
    fail "the example host did not open and close the archive: $out"

# On Debian /lib leads to /usr/lib, and the loader may find the libraries through either. A host
# without a search path of its own, whose libraries come through the linked folder, still makes
# a new database from the installed seed data.
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
linked=$work/linked
mkdir "$linked"
ln -s "$root/$libdir" "$linked/lib"
cmake -S "$example" -B "$work/example-norpath" -G Ninja -DCMAKE_PREFIX_PATH="$root" \
    -DCMAKE_SKIP_RPATH=ON -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "${launcher[@]}" >/dev/null
cmake --build "$work/example-norpath" >/dev/null || fail "the example host without a search path"
ldd_out=$(LD_LIBRARY_PATH=$linked/lib ldd "$work/example-norpath/example-host")
grep -q "libtarvoarchive.* => $linked/lib/" <<<"$ldd_out" ||
    fail "the libraries were not found through the linked folder: $ldd_out"
out=$(LD_LIBRARY_PATH=$linked/lib "$work/example-norpath/example-host" --db "$work/linked.db" \
    --close-when-open 2>"$work/linked.err") ||
    fail "the example host through a linked folder failed: $(cat "$work/linked.err")"
grep -q '^opened: ' <<<"$out" || fail "no archive opened through the linked folder: $out"
[ -s "$work/linked.db" ] || fail "no database made through the linked folder"

# The pkg-config file names the installed headers and libraries.
pc=$(find "$root" -name tarvoarchive.pc)
[ -n "$pc" ] || fail "no tarvoarchive.pc installed"
export PKG_CONFIG_PATH=${pc%/*}
pkg-config --validate tarvoarchive || fail "tarvoarchive.pc is not valid"
include=$(pkg-config --variable=includedir tarvoarchive)
[ -f "$stage$include/tarvoarchive/ITarvoArchive.h" ] || fail "pkg-config names $include"
libdir=$(pkg-config --variable=libdir tarvoarchive)
for lib in $(pkg-config --libs-only-l tarvoarchive | grep -o -- '-ltarvo[a-z_]*'); do
    [ -e "$stage$libdir/lib${lib#-l}.so" ] || fail "pkg-config links ${lib#-l}, not installed"
done
echo "staged install checked"
