#!/usr/bin/env bash
# Builds the program and its Debian package: build/vistrel_<version>_<arch>.deb, with the
# dependencies dpkg-shlibdeps finds for the libraries the program links. Install it with
# `sudo apt-get install ./build/vistrel_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh --target vistrel
(cd build && cpack -G DEB)
ls -1 build/vistrel_*.deb
