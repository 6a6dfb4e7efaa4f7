#!/usr/bin/env bash
# Writes the download for Windows users, OUT_DIR/nowplaying-VERSION-win32.zip: the
# program, README.txt with CRLF line ends, and SHA256SUMS of both. One commit gives the
# same zip byte for byte wherever it is built: the files go in a fixed order, with the
# commit's date (SOURCE_DATE_EPOCH when set), fixed permissions and no extra attributes
# (owner, access times).
#
#   scripts/dist.sh VERSION PROGRAM.exe README_SOURCE.txt OUT_DIR
# `make dist` runs it through the build's `dist` target.
set -euo pipefail
if [ $# -ne 4 ]; then
  echo "usage: $0 VERSION PROGRAM.exe README_SOURCE.txt OUT_DIR" >&2
  exit 2
fi
version=$1 program=$2 readme=$3
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$4"
out=$(cd "$4" && pwd)

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
echo "dist: $zip ($(stat -c %s "$zip") bytes)"
(cd "$out" && sha256sum "${zip##*/}")
