#!/bin/bash
# Times this tree's skywave against the engine as it was before it was made faster
# (commit d640998), side by side on the same machine and the same commands.
#
#   bench/compare.sh [--base-bin PATH] [--new-bin PATH] [--reps N] [--cpu C | --cpus "C ..."]
#
# One-core runs (the base program and -j 1) are pinned to one CPU, in turn to each
# CPU of --cpus (default: every CPU of the machine; --cpu C: that one only; --cpus none:
# not pinned); -j 2 runs are never pinned. The CPUs of a virtual machine need not be
# equally fast, nor stay so: a host that runs something else beside one of them can
# slow it by a third for minutes. So one thread's wall time is the mean of its medians
# on each CPU, and two threads are measured against that.
# Without --base-bin the old engine is checked out with `git worktree add` into a
# temporary folder, built in release (the program only) and removed afterwards.
# Without --new-bin this tree's build/release/src/cli/skywave is used (build it first).
# Each command is timed by build/release/bench/timed (to the microsecond: CPU seconds of
# the process and its threads, and wall seconds) if it is built, else by bash's `time`
# (to the millisecond).
#
# Workloads (QTH 42:30N 73:00W, flux 150, A 7, K 2):
#   warm step g1   one grain-1 step after the first of a day: (day - one step) / 23
#   day g1         5 March, 0:00 ... 23:00, grain 1
#   month g2       1 ... 30 March, 0:00 ... 23:00, grain 2
# Each is run N times (default 5), alternating the programs; the figures are the
# medians of CPU seconds (user + sys) and wall seconds, and grid-point-steps per second.
# The new engine runs with -j 1 for the one-core comparison and -j 2 for the wall time.
set -euo pipefail

BASE_COMMIT=d640998
here=$(cd "$(dirname "$0")/.." && pwd)
base_bin=""
new_bin="$here/build/release/src/cli/skywave"
reps=5
cpus=""
cpus_given=0
while [ $# -gt 0 ]; do
    case $1 in
        --base-bin) base_bin=$2; shift 2 ;;
        --new-bin) new_bin=$2; shift 2 ;;
        --reps) reps=$2; shift 2 ;;
        --cpu) cpus=$2; cpus_given=1; shift 2 ;;
        --cpus) cpus=$2; cpus_given=1; shift 2 ;;
        *) echo "usage: $0 [--base-bin PATH] [--new-bin PATH] [--reps N] [--cpu C | --cpus \"C ...\"]" >&2; exit 2 ;;
    esac
done

work=$(mktemp -d /tmp/skywave-compare.XXXXXX)
cleanup() {
    if [ -d "$work/base-src" ]; then
        git -C "$here" worktree remove --force "$work/base-src" >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

if [ -z "$base_bin" ]; then
    echo "building $BASE_COMMIT in $work/base-src ..." >&2
    git -C "$here" worktree add --detach "$work/base-src" "$BASE_COMMIT" >/dev/null 2>&1
    cmake -S "$work/base-src" -B "$work/base-build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSKYWAVE_BUILD_TESTS=OFF -DSKYWAVE_BUILD_BENCH=OFF -DSKYWAVE_BUILD_GUI=OFF >/dev/null
    ninja -C "$work/base-build" -j2 skywave >/dev/null
    base_bin="$work/base-build/src/cli/skywave"
fi
[ -x "$base_bin" ] || { echo "no program at $base_bin" >&2; exit 1; }
[ -x "$new_bin" ] || { echo "no program at $new_bin (build the release preset)" >&2; exit 1; }
timer="$here/build/release/bench/timed"
if [ "$cpus_given" = 0 ]; then
    if [ -x "$timer" ] || command -v taskset >/dev/null; then cpus=$(seq -s ' ' 0 $(($(nproc) - 1))); else cpus=none; fi
fi
[ "$cpus" = none ] && cpus=""

qth="--no-mof-dat --lat 42:30:00N --lon 73:00:00W --flux 150 --a-index 7 --k-index 2"
step1="$qth --grain 1 --start-date 3/5 --start-time 0:00 --stop-time 0:00"
day1="$qth --grain 1 --start-date 3/5 --start-time 0:00 --stop-time 23:00"
month2="$qth --grain 2 --start-date 3/1 --stop-date 3/30 --start-time 0:00 --stop-time 23:00"
cd "$work"

# "cpu wall" seconds of one command, on CPU $1 alone unless that is "".
timed() {
    local on=$1 out=$2; shift 2
    if [ -x "$timer" ]; then
        local pin=()
        [ -z "$on" ] || pin=(-c "$on")
        "$timer" "${pin[@]}" time.txt "$@" -o "$out" || { echo "failed: $*" >&2; exit 1; }
        cat time.txt
        return
    fi
    local TIMEFORMAT='%3U %3S %3R' u s r pin=()
    [ -z "$on" ] || pin=(taskset -c "$on")
    { time "${pin[@]}" "$@" -o "$out" >/dev/null 2>&1; } 2>time.txt
    read -r u s r <time.txt
    echo "$(echo "$u + $s" | bc -l) $r"
}
median() { sort -g | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

declare -A cpu wall
measure() {  # name, program label, program, extra flags, run flags, CPU to pin to (or "")
    local name=$1 label=$2 bin=$3 extra=$4 flags=$5 on=$6
    local r
    r=$(timed "$on" "$name-$label.mof" "$bin" run $flags $extra)
    echo "$r" >>"$name-$label.times"
    [ -z "$on" ] || echo "$r" >>"$name-$label-cpu$on.times"
}

run_all() {
    local name=$1 flags=$2 c
    for i in $(seq "$reps"); do
        for c in ${cpus:-""}; do
            measure "$name" base "$base_bin" "" "$flags" "$c"
            measure "$name" new1 "$new_bin" "-j 1" "$flags" "$c"
        done
        measure "$name" new2 "$new_bin" "-j 2" "$flags" ""
    done
    for label in base new1 new2; do
        cpu[$name-$label]=$(cut -d' ' -f1 "$name-$label.times" | median)
        wall[$name-$label]=$(cut -d' ' -f2 "$name-$label.times" | median)
        cmp -s "$name-base.mof" "$name-$label.mof" || { echo "$name: $label wrote a different file" >&2; exit 1; }
    done
    # One core's figures: the means of the medians on each CPU.
    if [ -n "$cpus" ]; then
        for label in base new1; do
            local sum_cpu=0 sum_wall=0 n=0
            for c in $cpus; do
                cpu[$name-$label-cpu$c]=$(cut -d' ' -f1 "$name-$label-cpu$c.times" | median)
                wall[$name-$label-cpu$c]=$(cut -d' ' -f2 "$name-$label-cpu$c.times" | median)
                sum_cpu=$(echo "$sum_cpu + ${cpu[$name-$label-cpu$c]}" | bc -l)
                sum_wall=$(echo "$sum_wall + ${wall[$name-$label-cpu$c]}" | bc -l)
                n=$((n + 1))
            done
            cpu[$name-$label]=$(echo "$sum_cpu / $n" | bc -l)
            wall[$name-$label]=$(echo "$sum_wall / $n" | bc -l)
        done
    fi
}

echo "machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1); load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "base: $BASE_COMMIT ($base_bin)"
echo "new:  $(git -C "$here" rev-parse --short HEAD) ($new_bin)"
echo "medians of $reps runs; every file identical to the base program's"
if [ -n "$cpus" ]; then echo "one-core runs pinned in turn to CPU $cpus"; else echo "no run pinned"; fi
[ -x "$timer" ] && echo "timer: $timer" || echo "timer: bash time (milliseconds)"
run_all step1 "$step1"
run_all day1 "$day1"
run_all month2 "$month2"

ratio() { echo "scale=2; $1 / $2" | bc -l; }
# A warm step is a day's 23 steps after the first.
for label in base new1 new2; do
    cpu[warm1-$label]=$(echo "(${cpu[day1-$label]} - ${cpu[step1-$label]}) / 23" | bc -l)
    wall[warm1-$label]=$(echo "(${wall[day1-$label]} - ${wall[step1-$label]}) / 23" | bc -l)
done
for c in $cpus; do
    for label in base new1; do
        cpu[warm1-$label-cpu$c]=$(echo "(${cpu[day1-$label-cpu$c]} - ${cpu[step1-$label-cpu$c]}) / 23" | bc -l)
        wall[warm1-$label-cpu$c]=$(echo "(${wall[day1-$label-cpu$c]} - ${wall[step1-$label-cpu$c]}) / 23" | bc -l)
    done
done
printf '\n%-14s %12s %12s %12s %9s | %10s %10s %10s %9s\n' workload "cpu base" "cpu -j1" "cpu -j2" \
    "cpu x" "wall base" "wall -j1" "wall -j2" "wall x"
for w in warm1 day1 month2; do
    printf '%-14s %12.4f %12.4f %12.4f %9s | %10.4f %10.4f %10.4f %9s\n' "$w" \
        "${cpu[$w-base]}" "${cpu[$w-new1]}" "${cpu[$w-new2]}" "$(ratio "${cpu[$w-base]}" "${cpu[$w-new1]}")" \
        "${wall[$w-base]}" "${wall[$w-new1]}" "${wall[$w-new2]}" \
        "$(ratio "${wall[$w-new1]}" "${wall[$w-new2]}")"
done
echo
# Grid-point-steps per CPU second (one core) and per wall second (two threads).
declare -A points=([warm1]=2960 [day1]=$((2960 * 24)) [month2]=$((960 * 720)))
printf '%-14s %16s %16s %16s\n' workload "base pts/cpu-s" "-j1 pts/cpu-s" "-j2 pts/wall-s"
for w in warm1 day1 month2; do
    printf '%-14s %15.2fM %15.2fM %15.2fM\n' "$w" \
        "$(echo "${points[$w]} / ${cpu[$w-base]} / 1000000" | bc -l)" \
        "$(echo "${points[$w]} / ${cpu[$w-new1]} / 1000000" | bc -l)" \
        "$(echo "${points[$w]} / ${wall[$w-new2]} / 1000000" | bc -l)"
done
echo
echo "cpu x: CPU seconds of the base program / this program with -j 1 (one core; pinned: the means of the medians on each CPU)"
if [ -n "$cpus" ]; then
    echo "one core, on each CPU (medians): CPU seconds base / -j 1 = cpu x, and -j 1's wall seconds"
    for w in warm1 day1 month2; do
        printf '%-14s' "$w"
        for c in $cpus; do
            printf '   CPU %s: %8.4f / %8.4f = %5s, wall %8.4f' "$c" "${cpu[$w-base-cpu$c]}" \
                "${cpu[$w-new1-cpu$c]}" "$(ratio "${cpu[$w-base-cpu$c]}" "${cpu[$w-new1-cpu$c]}")" \
                "${wall[$w-new1-cpu$c]}"
        done
        echo
    done
    echo
fi
echo "wall x: wall seconds of this program with -j 1 (the mean of its medians on each CPU) / with -j 2 (two threads)"
echo "points: grain 1 = 37 x 80 = 2960, grain 2 = 24 x 40 = 960; month g2 = 30 x 24 steps"
