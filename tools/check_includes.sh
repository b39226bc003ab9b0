#!/bin/sh
# Checks the engine's group rules on every include in src/core:
#
#   base <- model <- files <- run <- tuning
#   observations and map use files, model and base only
#
# Includes of the engine's own headers name their group ("model/grid.h"), and the
# engine never includes a Qt header. Prints each include that breaks a rule and
# exits 1 if there is any.
set -eu
cd "$(dirname "$0")/.."

allowed() {
    case "$1" in
        base) echo "base" ;;
        model) echo "base model" ;;
        files) echo "base model files" ;;
        run) echo "base model files run" ;;
        tuning) echo "base model files run tuning" ;;
        observations) echo "base model files observations" ;;
        map) echo "base model files map" ;;
        *) echo "" ;;
    esac
}

status=0
for dir in src/core/*/; do
    group=$(basename "$dir")
    uses=$(allowed "$group")
    if [ -z "$uses" ]; then
        echo "src/core/$group: not one of the engine's groups" >&2
        status=1
        continue
    fi
    for file in "$dir"*; do
        [ -f "$file" ] || continue
        # "path:line:target" for every quoted include, "path:line:<Q...>" for Qt.
        matches=$(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*("[^"]*"|<Q[^>]*>)' "$file" |
            sed -E 's/^([0-9]+):.*include[[:space:]]*["<]([^">]*)[">].*/\1:\2/') || true
        for m in $matches; do
            line=${m%%:*}
            target=${m#*:}
            case "$target" in
                Q*)
                    echo "$file:$line: the engine includes no Qt header ($target)" >&2
                    status=1
                    continue
                    ;;
            esac
            used=${target%%/*}
            if [ "$used" = "$target" ]; then
                echo "$file:$line: \"$target\" does not name its group" >&2
                status=1
            elif ! echo " $uses " | grep -q " $used "; then
                echo "$file:$line: $group may not include $target ($group uses: $uses)" >&2
                status=1
            elif [ ! -f "src/core/$target" ]; then
                echo "$file:$line: no src/core/$target" >&2
                status=1
            fi
        done
    done
done
[ "$status" -eq 0 ] && echo "includes: every group keeps to its rules"
exit "$status"
