#!/usr/bin/env bash
# Builds the viewer and runs it from viewer/, where its stage lives.
#
# With a display it opens the viewer's window (close it to end). Without one
# (neither DISPLAY nor WAYLAND_DISPLAY set) it draws 300 frames off screen,
# saves the last one and says where. Arguments, if any, are passed on to the
# viewer instead (see viewer/main.cpp for its options).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/deps.sh
bash scripts/build.sh "$root/build" viewer

viewer="$root/build/bin/viewer"
cd "$root/viewer"

if [ $# -gt 0 ]; then
    exec "$viewer" "$@"
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$viewer"
fi

screenshot="$root/build/viewer-stage.tga"
echo "No display: drawing 300 frames off screen."
"$viewer" --frames 300 --screenshot "$screenshot"
echo "Screenshot of the last frame: $screenshot"
