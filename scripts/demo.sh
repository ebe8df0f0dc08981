#!/usr/bin/env bash
# Installs what is missing, builds, makes the demo disks in ./demo-work and
# starts volmender on them (or volmender-fat32: scripts/demo.sh volmender-fat32).
# The program sees only the demo's image files, never the machine's own disks,
# and its update check goes to a closed port on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."

program="${1:-volmender}"
case "$program" in
  volmender | volmender-fat32) ;;
  *)
    echo "usage: $0 [volmender | volmender-fat32]" >&2
    exit 2
    ;;
esac

scripts/install-deps.sh
scripts/build.sh
scripts/make-demo-disks.sh ./demo-work

export VOLMENDER_MACHINE="$PWD/demo-work/machine.txt"
binary="build/src/$program/$program"
if [ ! -x "$binary" ]; then
  echo "$binary was not built" >&2
  exit 1
fi
# The program saves downloads and backups in its current folder: keep them with the demo.
cd demo-work
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running $program on a virtual X server (xvfb-run), where it cannot be seen." >&2
  exec xvfb-run -a "../$binary"
fi
exec "../$binary"
