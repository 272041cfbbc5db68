#!/usr/bin/env bash
# Records what a real Direct3D 8 draws for every visual case: builds the
# cases as a Windows program with MinGW-w64, runs it on Wine's Direct3D 8
# under Xvfb, and writes tests/data/visual/<group>.txt (probed pixels) and
# tests/data/visual/<group>/<case>.png (to look at). CI compares our runtime
# with these files and needs none of this. The cases where our runtime
# follows Direct3D 8 and the reference does not are listed, with the reason,
# in tests/data/visual/<group>.known.txt, which this script leaves alone.
#
#   tools/visual-references.sh [--check] [GROUP...]
#
# GROUP limits the run to some groups (default: all). --check writes into a
# temporary folder and compares with the committed results instead.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
data="$root/tests/data/visual"
check=0
groups=()
for arg in "$@"; do
    case "$arg" in
        --check) check=1 ;;
        -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
        *) groups+=("$arg") ;;
    esac
done

# ---- what it needs ---------------------------------------------------------
packages=(wine wine64 xvfb xauth g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    if [[ $(id -u) -eq 0 ]]; then
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    else
        echo "visual-references: missing packages; install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
fi
wine=$(command -v wine64 || true)
[[ -n "$wine" ]] || wine=/usr/lib/wine/wine64

# ---- build -----------------------------------------------------------------
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
x86_64-w64-mingw32-dlltool -d "$root/tests/visual/windows/d3d8.def" -l "$work/libd3d8.a"
x86_64-w64-mingw32-g++ -std=c++20 -O1 -Wall -Wextra -static \
    -I"$root/tests/visual" \
    "$root"/tests/visual/*.cpp "$root"/tests/visual/cases/*.cpp "$root/tests/visual/windows/reference_main.cpp" \
    -L"$work" -ld3d8 -luser32 -lgdi32 \
    -o "$work/visual_reference.exe"

# ---- run -------------------------------------------------------------------
out="$data"
((check)) && out="$work/out"
mkdir -p "$out"
if ((!check)); then
    # Results of cases that no longer exist must not linger.
    if ((${#groups[@]})); then
        for g in "${groups[@]}"; do rm -rf "${out:?}/$g" "${out:?}/$g.txt"; done
    else
        find "$out" -mindepth 1 -maxdepth 1 ! -name "*.known.txt" -exec rm -rf {} +
    fi
fi
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
(cd "$out" && xvfb-run -a -s "-screen 0 1024x768x24" "$wine" "$work/visual_reference.exe" . "${groups[@]}") \
    | tee "$work/report.txt"
"${wine%64}server" -w 2>/dev/null || wineserver -w 2>/dev/null || true

if ((check)); then
    if diff -r -x "*.known.txt" "$data" "$out" >"$work/diff.txt"; then
        echo "visual-references: the committed results are reproduced exactly"
    else
        head -40 "$work/diff.txt"
        echo "visual-references: the committed results differ from a fresh run" >&2
        exit 1
    fi
fi
