#!/usr/bin/env bash
# Packs the Debian package of a built tree and checks it as Debian does:
# lintian lists what it finds and fails on an error.
# Usage: scripts/package.sh [BUILD_DIR]   (default build; the package lands there)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

bash scripts/setup.sh lintian

# One package in the directory, so that lintian checks the one just made.
rm -f "$build"/mediakit_*.deb
(cd "$build" && cpack -G DEB)
lintian --fail-on error "$build"/mediakit_*.deb
