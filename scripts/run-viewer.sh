#!/usr/bin/env bash
# Builds the viewer and runs it from viewer/, where its demo content lives.
# Arguments are passed on to the viewer.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/deps.sh
bash scripts/build.sh "$root/build" viewer

cd "$root/viewer"
exec "$root/build/bin/viewer" "$@"
