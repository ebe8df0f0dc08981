#!/usr/bin/env bash
# Installs what is missing, builds the two programs, makes the demo disks in
# ./demo-work and starts volmender on them (or volmender-fat32:
# scripts/demo.sh volmender-fat32). The program sees only the demo's image
# files, never the machine's own disks, and its update check goes to a closed
# port on this machine. What the build and the program print goes to
# demo-work/demo.log, which is named when something fails.
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

# The program opens a window and waits for the user in dialogs: without a
# display nobody could ever answer them.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the demo opens a window, so run it in a desktop session (DISPLAY or WAYLAND_DISPLAY is unset)." >&2
  exit 1
fi

mkdir -p demo-work
log="$PWD/demo-work/demo.log"
: >"$log"
fail() {
  echo "$1; see $log" >&2
  exit 1
}

scripts/install-deps.sh

# The variables only name a display; check that one really opens before
# building, with the tools install-deps.sh brings: xdpyinfo connects to the X
# server as any X client does (same authority), wayland-info to the Wayland
# compositor's socket. X is taken when it answers (most Wayland desktops run
# an X server for older programs too), Wayland otherwise; QT_QPA_PLATFORM
# tells the program which.
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export QT_QPA_PLATFORM=xcb
  echo "Using the X display $DISPLAY."
elif [ -n "${WAYLAND_DISPLAY:-}" ] && wayland-info >/dev/null 2>&1; then
  export QT_QPA_PLATFORM=wayland
  echo "Using the Wayland display $WAYLAND_DISPLAY."
else
  echo "Cannot open the display (DISPLAY=${DISPLAY:-unset}, WAYLAND_DISPLAY=${WAYLAND_DISPLAY:-unset}):" \
    "no X server or Wayland compositor answers there, or it refuses this user." \
    "Run the demo in your desktop session, as the user logged in there." >&2
  exit 1
fi

echo "Building volmender and volmender-fat32 ..."
BUILD_JOBS="${BUILD_JOBS:-$(nproc)}" BUILD_TARGETS="volmender volmender-fat32 make_demo_disks" \
  scripts/build.sh >>"$log" 2>&1 || fail "The build failed"

echo "Making the demo disks in demo-work ..."
scripts/make-demo-disks.sh ./demo-work >>"$log" 2>&1 || fail "Making the demo disks failed"

echo "Starting $program on the demo disks (expected layouts: demo-work/expected.txt)."
export VOLMENDER_MACHINE="$PWD/demo-work/machine.txt"
# The program saves downloads and backups in its current folder: keep them with the demo.
cd demo-work
"../build/src/$program/$program" >>"$log" 2>&1 || fail "$program ended with an error"
