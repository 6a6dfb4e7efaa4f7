#!/usr/bin/env bash
# The download is the same zip and setup program wherever and whenever it is made:
# scripts/dist.sh, run twice on the same files in time zones a day apart and at two
# times that zip tells apart (it keeps a file's time to two seconds), writes the same
# bytes.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'MZ\0the program\n' >"$work/program.exe"
TZ=XST-14 "$root/scripts/dist.sh" 0 class "$work/program.exe" "$root/docs/README.txt" "$work/first"
sleep 2
TZ=YST+12 "$root/scripts/dist.sh" 0 class "$work/program.exe" "$root/docs/README.txt" "$work/second"
for file in nowplaying-0-win32.zip nowplaying-0-setup.exe; do
  cmp "$work/first/$file" "$work/second/$file"
done
