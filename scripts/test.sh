#!/usr/bin/env bash
# Builds everything and runs the whole test suite, twice: a plain build in
# build/, then a build with AddressSanitizer and UBSan in build-asan/.
# Usage: test.sh [--no-sanitize]
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

sanitize=1
for arg in "$@"; do
    case "$arg" in
        --no-sanitize) sanitize=0 ;;
        -h | --help)
            echo "usage: scripts/test.sh [--no-sanitize]"
            exit 0 ;;
        *)
            echo "test.sh: unknown argument '$arg' (try --help)" >&2
            exit 2 ;;
    esac
done

bash scripts/deps.sh || exit 1

summary=()
failed=0

# run_suite NAME BUILD_DIR [CMAKE_ARGS...]
run_suite() {
    local name=$1 dir=$2
    shift 2
    echo
    echo "==== $name: build ($dir)"
    if ! bash scripts/build.sh "$dir" -- "$@"; then
        summary+=("$name: BUILD FAILED")
        failed=1
        return
    fi
    echo
    echo "==== $name: tests"
    if ctest --test-dir "$dir" --output-on-failure -j2; then
        summary+=("$name: all tests passed")
    else
        summary+=("$name: TESTS FAILED (log: $dir/Testing/Temporary/LastTest.log)")
        failed=1
    fi
}

run_suite plain "$root/build" -DZEP_SANITIZE=OFF

if [ "$sanitize" -eq 1 ]; then
    # The build already makes every report fatal; a stack makes it readable.
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
    # Mesa's software rasteriser keeps worker threads until the process
    # ends; LeakSanitizer's final scan stops every thread and crashes now
    # and then on one that is halfway gone ("Tracer caught signal 11"),
    # failing a test that passed. Rasterising on the calling thread gives
    # the same pixels and leaves the scan nothing to trip over.
    export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
    run_suite sanitize "$root/build-asan" -DZEP_SANITIZE=ON
else
    summary+=("sanitize: skipped (--no-sanitize)")
fi

echo
echo "==== Summary"
printf '  %s\n' "${summary[@]}"
if [ "$failed" -ne 0 ]; then
    echo "FAILED"
    exit 1
fi
echo "OK"
