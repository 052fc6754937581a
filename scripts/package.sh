#!/usr/bin/env bash
# Builds the Debian packages into build/packages/: tarvo-archive, the program for clerks, and
# libtarvoarchive-dev, what a host developer builds against. Install with
#   sudo apt install ./build/packages/tarvo-archive_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
# dpkg-shlibdeps works out the packages the programs and libraries need; CPack hands it the
# files that `file` calls ELF objects.
scripts/install-deps.sh dpkg-dev file
# Debian's packages install under /usr, also from a build folder first configured otherwise.
scripts/build.sh -DCMAKE_INSTALL_PREFIX=/usr
rm -f build/packages/*.deb
(cd build && cpack -G DEB >/dev/null)
ls build/packages/*.deb
