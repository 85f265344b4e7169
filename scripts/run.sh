#!/usr/bin/env bash
# Installs what is missing, builds, and runs a first real scan: the bundled demo
# network is dated today and its volumes added to the scan paths, then one scan
# records their events into build-app/bin/cv.mdb. With arguments, runs cv with them
# instead; `scripts/run.sh --window` opens the main window.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
# Its own build folder: the scan writes into bin/cv.mdb, and the tests in build/
# take the empty bin/cv.mdb of their build as the template of their databases.
cmake -S . -B build-app -G Ninja -DCV_BUILD_TESTS=OFF
cmake --build build-app

case "${1:-}" in
"")
    build-app/bin/cv --demo
    # A second run on the same day starts afresh instead of stopping at the
    # already-run question; with nothing to purge this exits 1, which is fine.
    build-app/bin/cv --purge-today --yes || true
    build-app/bin/cv --scan
    ;;
--window) exec build-app/bin/cv ;;
*) exec build-app/bin/cv "$@" ;;
esac
