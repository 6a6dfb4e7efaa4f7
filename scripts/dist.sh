#!/usr/bin/env bash
# Writes the download for Windows users: OUT_DIR/nowplaying-VERSION-win32.zip, holding the
# program, README.txt with CRLF line ends, and SHA256SUMS of both; and beside it
# OUT_DIR/nowplaying-VERSION-setup.exe, the setup program (setup/nowplaying.nsi) that
# installs the same two files. One commit gives the same zip and setup byte for byte
# wherever they are built: the files go in a fixed order, with the commit's date
# (SOURCE_DATE_EPOCH when set), fixed permissions and no extra attributes (owner, access
# times). makensis stores each packed file's date, and its PE header is that of the stub
# it ships, with the stub's link time: cleared, as the program's is. The header lies in
# the first 512 bytes, which the setup's own integrity check leaves out.
#
#   scripts/dist.sh VERSION WINDOW_CLASS PROGRAM.exe README_SOURCE.txt OUT_DIR
# `make dist` runs it through the build's `dist` target, which reads the version and the
# About window's class (by which the setup finds a running copy) in resource.h.
set -euo pipefail
if [ $# -ne 5 ]; then
  echo "usage: $0 VERSION WINDOW_CLASS PROGRAM.exe README_SOURCE.txt OUT_DIR" >&2
  exit 2
fi
version=$1 window_class=$2 program=$3 readme=$4
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$5"
out=$(cd "$5" && pwd)

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) || {
    echo "dist: not a git clone; set SOURCE_DATE_EPOCH to the release's date" >&2
    exit 1
  }
fi
# zip records local time; the same zone everywhere gives the same dates.
export TZ=UTC

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
files=(nowplaying.exe README.txt SHA256SUMS)
cp "$program" "$stage/nowplaying.exe"
sed 's/\r*$/\r/' "$readme" >"$stage/README.txt"
(cd "$stage" && sha256sum nowplaying.exe README.txt >SHA256SUMS)
chmod 0644 "${files[@]/#/$stage/}"
touch -d "@$SOURCE_DATE_EPOCH" "${files[@]/#/$stage/}"

zip=$out/nowplaying-$version-win32.zip
rm -f "$zip"
(cd "$stage" && zip -q -X -9 "$zip" "${files[@]}")

setup=$out/nowplaying-$version-setup.exe
rm -f "$setup"
makensis -WX -V2 "-DVERSION=$version" "-DWINDOW_CLASS=$window_class" "-DSTAGE=$stage" "-DOUTFILE=$setup" "$root/setup/nowplaying.nsi" >&2
pe_header=$(od -An -tu4 -j60 -N4 "$setup")
printf '\0\0\0\0' | dd of="$setup" bs=1 seek=$((pe_header + 8)) conv=notrunc status=none

for file in "$zip" "$setup"; do
  echo "dist: $file ($(stat -c %s "$file") bytes)"
done
(cd "$out" && sha256sum "${zip##*/}" "${setup##*/}")
