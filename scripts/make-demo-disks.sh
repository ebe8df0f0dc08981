#!/usr/bin/env bash
# Makes a described machine under WORKDIR: machine.txt, a removable FAT32
# drive (removable.img) and a fixed disk (fixed.img) with a FAT16 primary
# partition and a FAT32 logical drive, every volume filled with files and
# directories and then made RAW by destroying its boot sector. expected.txt notes each volume's layout
# before the damage. The images are made by the same code the tests use
# (tests/fixtures), built here when needed. Running it again starts afresh.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 WORKDIR" >&2
  exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"

if [ ! -f "$root/build/build.ninja" ]; then
  cmake -S "$root" -B "$root/build" -G Ninja
fi
cmake --build "$root/build" --target make_demo_disks -j "${BUILD_JOBS:-4}"
"$root/build/tests/fixtures/make_demo_disks" "$1"
