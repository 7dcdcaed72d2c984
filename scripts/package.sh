#!/usr/bin/env bash
# Builds the Debian package of the three programs and checks it:
#   scripts/package.sh            -> build-package/tk515pro_<version>_amd64.deb
# A release build of its own in build-package/ (without the tests), with Debian's
# hardening flags, then `cmake --build build-package --target package`; the package is
# then unpacked and checked (files, control fields, desktop entry, metainfo, file type,
# lintian), as the test suite checks the one of build/.
#
# Install it with `sudo apt-get install ./build-package/tk515pro_*.deb`, remove it with
# `sudo apt-get remove tk515pro`.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

install_missing_packages

export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTK_BUILD_TESTS=OFF
cmake --build build-package --parallel 2 --target package

version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' \
    build-package/CPackConfig.cmake | head -n 1)"
app="$(sed -n 's/.*kAppId\[\] = "\(.*\)";/\1/p' build-package/generated/tk/version.h)"
packaging/check_package.sh "$PWD/build-package" "$version" "$app" application/x-tk515
echo "Package: $(ls "$PWD"/build-package/tk515pro_"$version"_amd64.deb)"
