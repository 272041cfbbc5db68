#!/usr/bin/env bash
# The library's dynamic symbol table must hold exactly the interface: every
# exported name is declared in the public header, and the two data records
# are exported as data. Usage: check_exports.sh LIBRARY HEADER
set -euo pipefail

lib=$1
header=$2

# Names the interface declares: the identifier before "(" on every
# ZEP_EXPORT function line, and the data exports.
declared=$(mktemp)
exported=$(mktemp)
trap 'rm -f "$declared" "$exported"' EXIT

grep -E '^\s*(extern\s+)?ZEP_EXPORT\b' "$header" |
    sed -E 's/\/\*.*//; s/\[.*//; s/\(.*//' |
    grep -oE '[A-Za-z_][A-Za-z0-9_]*\s*;?\s*$' |
    tr -d ' ;' | sort -u >"$declared"

if [ ! -s "$declared" ]; then
    echo "FAIL: no ZEP_EXPORT declarations found in $header"
    exit 1
fi

# Defined dynamic symbols, without the ones the linker itself adds.
nm -D --defined-only "$lib" | awk '{print $2, $3}' |
    grep -vE ' (_init|_fini|_edata|_end|__bss_start|__odr_asan\..*)$' >"$exported"

status=0
while read -r type name; do
    if ! grep -qxF "$name" "$declared"; then
        echo "FAIL: $name ($type) is exported but not declared in the interface"
        status=1
    fi
done <"$exported"

for data in ZEPengine Textures; do
    type=$(awk -v n="$data" '$2 == n {print $1}' "$exported")
    case "$type" in
        B | D | b | d) ;;
        "") echo "FAIL: data export $data is missing"; status=1 ;;
        *) echo "FAIL: $data is exported as '$type', not as data"; status=1 ;;
    esac
done

functions=$(grep -cE '^[TtWi] ' "$exported" || true)
echo "exports: $(wc -l <"$exported") symbols ($functions functions), $(wc -l <"$declared") names declared"
[ "$status" -eq 0 ] && echo "exports: OK"
exit "$status"
