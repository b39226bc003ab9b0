#!/bin/sh
# Sets up everything skywave needs on Debian 12, builds it, and then:
#   ./setup.sh run          computes today's prediction with the default settings and
#                           shows it in the desktop program when there is a display
#   ./setup.sh test         runs the whole test suite
#   ./setup.sh sanitize     runs the whole test suite built with ASan and UBSan
#   ./setup.sh fuzz [SECS]  runs every fuzz target for SECS seconds (default 30)
#   ./setup.sh build        only builds
# Missing Debian packages are installed non-interactively (with sudo when not root).
set -eu

cd "$(dirname "$0")"

PACKAGES="build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
libcli11-dev libpng-dev libgif-dev qt6-base-dev xvfb xauth hamradio-files"

mode=${1:-build}
case "$mode" in
    fuzz) PACKAGES="$PACKAGES clang libclang-rt-14-dev" ;;
esac

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

if [ "$mode" = sanitize ]; then
    cmake --preset sanitize >/dev/null
    cmake --build --preset sanitize
    ctest --preset sanitize
    exit 0
fi

if [ "$mode" = fuzz ]; then
    seconds=${2:-30}
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz
    for target in constants screens header score settings logs; do
        corpus=build/fuzz/corpus/$target
        mkdir -p "$corpus"
        echo "fuzz_$target: $seconds s"
        ./build/fuzz/fuzz/fuzz_$target -dict=fuzz/skywave.dict -max_total_time="$seconds" \
            -print_final_stats=1 -artifact_prefix=build/fuzz/ "$corpus" "fuzz/seeds/$target" 2>&1 |
            grep -E "stat::number_of_executed_units|ERROR|SUMMARY" || true
        # A finding leaves a crash-, leak-, timeout- or oom- file behind.
        if ls build/fuzz/crash-* build/fuzz/leak-* build/fuzz/timeout-* build/fuzz/oom-* >/dev/null 2>&1; then
            echo "fuzz_$target found a fault; its input is in build/fuzz/" >&2
            exit 1
        fi
    done
    exit 0
fi

cmake --preset release >/dev/null
cmake --build --preset release

case "$mode" in
    run)
        shift
        ./build/release/src/cli/skywave run "$@"
        # The file the run wrote: the -o/--output argument, else default.mof.
        file=default.mof
        while [ $# -gt 0 ]; do
            case "$1" in
                -o|--output) [ $# -gt 1 ] && file=$2 && shift ;;
                --output=*) file=${1#--output=} ;;
                -o?*) file=${1#-o} ;;
            esac
            shift
        done
        gui=./build/release/src/gui/skywave-gui
        if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$gui" ]; then
            "$gui" "$file"
        else
            echo "to look at it: $gui $file   (needs a display)"
        fi
        ;;
    test)
        ctest --preset release
        ;;
    build)
        ;;
    *)
        echo "usage: ./setup.sh [run|test|sanitize|fuzz [SECONDS]|build]" >&2
        exit 2
        ;;
esac
