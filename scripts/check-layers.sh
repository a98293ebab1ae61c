#!/bin/sh
# Fails when a source file under src/ includes what its layer may not:
# base, graph, files and import include neither Qt nor OpenGL/EGL; view
# includes no Qt; no layer includes a header of a layer above it. Layers from
# the bottom: base, graph, files and import, view, settings and net, ui, app.
# A folder under src/ that is in no layer fails too, so a new one gets a place.
#
# Usage: scripts/check-layers.sh [SRC]   (SRC defaults to the src/ beside scripts/)
set -eu
src=$(realpath "${1:-$(dirname "$0")/../src}")

rank() {
    case $1 in
    base) echo 0 ;;
    graph) echo 1 ;;
    files | import) echo 2 ;;
    view) echo 3 ;;
    settings | net) echo 4 ;;
    ui) echo 5 ;;
    app) echo 6 ;;
    *) echo none ;;
    esac
}

# The layer of a path below src/: its first folder.
layer_of() {
    case $1 in
    "$src"/*/*) rest=${1#"$src"/} && echo "${rest%%/*}" ;;
    *) echo none ;;
    esac
}

qt='<(Q[A-Za-z0-9_]*|Qt[A-Za-z0-9_]*/[^>]*|q[a-z0-9_]*\.h)>'
gl='<(GL|GLES[0-9]*|EGL|KHR)/[^>]*>'

failures=0
fail() {
    echo "$1" >&2
    failures=$((failures + 1))
}

for file in $(find "$src" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.h.in' \) | sort); do
    layer=$(layer_of "$file")
    own=$(rank "$layer")
    name=${file#"$src"/}
    if [ "$own" = none ]; then
        fail "src/$name: in no layer (add its folder to scripts/check-layers.sh)"
        continue
    fi
    # Every #include line, with its line number, as "N:<x>" or "N:"x"".
    grep -nE '^[[:space:]]*#[[:space:]]*include' "$file" |
        sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*/\1:/' >"${TMPDIR:-/tmp}/layers.$$" || true
    while IFS= read -r line; do
        number=${line%%:*}
        target=${line#*:}
        where="src/$name:$number"
        case $target in
        \<*)
            if [ "$own" -le 2 ] && echo "$target" | grep -qE "^$qt"; then
                fail "$where: $layer includes Qt: $target"
            elif [ "$own" -le 2 ] && echo "$target" | grep -qE "^$gl"; then
                fail "$where: $layer includes OpenGL: $target"
            elif [ "$layer" = view ] && echo "$target" | grep -qE "^$qt"; then
                fail "$where: view includes Qt: $target"
            fi
            ;;
        \"*)
            path=${target#\"}
            path=${path%%\"*}
            # Beside the file first, as the compiler looks, then from the include root src/.
            if [ -e "$(dirname "$file")/$path" ]; then
                resolved=$(realpath -m "$(dirname "$file")/$path")
            else
                resolved=$(realpath -m "$src/$path")
            fi
            other=$(layer_of "$resolved")
            theirs=$(rank "$other")
            # Headers generated into the build tree belong to the folder they name.
            if [ "$theirs" != none ] && [ "$theirs" -gt "$own" ]; then
                fail "$where: $layer includes $other, a layer above it: $target"
            fi
            ;;
        esac
    done <"${TMPDIR:-/tmp}/layers.$$"
done
rm -f "${TMPDIR:-/tmp}/layers.$$"

if [ "$failures" -gt 0 ]; then
    echo "$failures include(s) break the layering" >&2
    exit 1
fi
echo "layering holds"
