#!/usr/bin/env bash
# Installs what building and running need on a fresh Debian 12 machine; with --test, what
# testing needs besides; and the packages named as further arguments.
set -euo pipefail
with_tests=""
if [ "${1:-}" = "--test" ]; then
    with_tests=yes
    shift
fi
packages=(
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libqt6svg6 libgl-dev
    libsqlite3-dev sqlite3 libpq-dev postgresql
    libgtest-dev googletest
    libxlsxwriter-dev poppler-utils libminizip-dev
    libicu-dev
    iso-codes fonts-noto-cjk xauth xvfb
    "$@"
)
# With --test, also what only the tests need: a spreadsheet program that re-saves exports,
# Debian's checkers of desktop entries and AppStream metadata for the installed files, and
# what building the packages takes (dpkg-shlibdeps, and `file`, which tells it the ELF files).
if [ -n "$with_tests" ]; then
    packages+=(libreoffice-calc-nogui desktop-file-utils appstream dpkg-dev file)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
