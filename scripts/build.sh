#!/usr/bin/env bash
# Configures and builds one build tree. Shared by run-viewer.sh and test.sh.
# Usage: build.sh BUILD_DIR [TARGET] [-- CMAKE_ARGS...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$1
shift
target=()
if [ $# -gt 0 ] && [ "$1" != "--" ]; then
    target=(--target "$1")
    shift
fi
[ $# -gt 0 ] && [ "$1" = "--" ] && shift

# Two jobs: the machine has two cores and other builds may share them.
cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build_dir" -j2 "${target[@]}"
