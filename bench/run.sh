#!/usr/bin/env bash
# Runs the benchmarks by hand, from a build directory, building them first
# if needed. They measure and print; nothing here fails because of a number.
#
#   bench/run.sh [BUILD_DIR] [-- ARGS FOR bench_draw_throughput]
#
#   BUILD_DIR       default build/ (configured if it has no cache yet)
#   LP_NUM_THREADS  llvmpipe's rendering threads, default 2; compare runs
#                   only at the same setting
#
# Every program runs with the same fixed malloc thresholds, so the memory
# llvmpipe frees every frame is not returned to the kernel and faulted in
# again (a trap that changes frame rates by up to 5 times depending only on
# the process's allocation history).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(dirname "$here")"
build_dir="build"
if [[ $# -gt 0 && "$1" != "--" ]]; then
    build_dir="$1"
    shift
fi
if [[ $# -gt 0 && "$1" == "--" ]]; then shift; fi

if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
    cmake -S "$source_dir" -B "$build_dir"
fi
cmake --build "$build_dir" -j2 --target bench_draw_throughput

export GLIBC_TUNABLES="glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=536870912"
export LP_NUM_THREADS="${LP_NUM_THREADS:-2}"

echo "build: $build_dir ($(grep -m1 '^CMAKE_BUILD_TYPE:' "$build_dir/CMakeCache.txt" | cut -d= -f2))"
"$build_dir/bin/bench_draw_throughput" "$@"
