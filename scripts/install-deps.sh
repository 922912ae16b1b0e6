#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, package and
# run its demo.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
    qt6-base-dev qt6-webengine-dev libqt6webenginewidgets6 qt6-webengine-dev-tools
    qt6-translations-l10n qt6-l10n-tools libgl-dev
    zlib1g-dev libjsoncpp-dev libcurl4-openssl-dev libfreexl-dev libzip-dev libdeflate-dev libpugixml-dev libexpat1-dev
    libcpp-httplib-dev libsqlite3-dev libjpeg62-turbo-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libx11-dev curl ccache clang-format clang-tidy
    fonts-noto-cjk xvfb xauth imagemagick x11-apps openbox xdotool
    help2man librsvg2-bin gzip dpkg-dev file man-db bsdextrautils
    desktop-file-utils appstream lintian
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all packages present"
    exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
