#!/bin/sh
# Sets up everything skywave needs on Debian 12, builds it, and then:
#   ./setup.sh run    computes today's prediction with the default settings
#   ./setup.sh test   runs the whole test suite
#   ./setup.sh build  only builds
# Missing Debian packages are installed non-interactively (with sudo when not root).
set -eu

cd "$(dirname "$0")"

PACKAGES="build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
libcli11-dev libpng-dev qt6-base-dev xvfb xauth"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "setup: installing$missing" >&2
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    # shellcheck disable=SC2086
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi

cmake --preset release >/dev/null
cmake --build --preset release

case "${1:-build}" in
    run)
        shift
        ./build/release/src/cli/skywave run "$@"
        ;;
    test)
        ctest --preset release
        ;;
    build)
        ;;
    *)
        echo "usage: ./setup.sh [run|test|build]" >&2
        exit 2
        ;;
esac
