#!/usr/bin/env bash
# Installs every package the build, the tests and the demo need on a Debian 12 machine.
# Safe to run again: it only calls apt when something is missing.
set -euo pipefail

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have_cmd cmake || need+=(cmake)
have_cmd ninja || need+=(ninja-build)
have_cmd make || need+=(make)
have_cmd g++ || need+=(g++)
have_cmd i686-w64-mingw32-g++-win32 || need+=(g++-mingw-w64-i686-win32)
have_cmd i686-w64-mingw32-windres || need+=(binutils-mingw-w64-i686)
have_cmd x86_64-w64-mingw32-g++-win32 || need+=(g++-mingw-w64-x86-64-win32)
have_cmd x86_64-w64-mingw32-windres || need+=(binutils-mingw-w64-x86-64)
have_cmd clang++ || need+=(clang)
have_pkg libclang-rt-14-dev || need+=(libclang-rt-14-dev)
# `make lint`.
have_cmd clang-format || need+=(clang-format)
have_cmd clang-tidy || need+=(clang-tidy)
have_pkg libgtest-dev || need+=(libgtest-dev)
have_pkg libbenchmark-dev || need+=(libbenchmark-dev)
have_cmd Xvfb || need+=(xvfb)
have_cmd openbox || need+=(openbox)
have_cmd xdotool || need+=(xdotool)
have_cmd xprop || need+=(x11-utils)
# The README's screenshot (scripts/screenshots.sh): xwd, ImageMagick, Wine's fonts.
have_cmd xwd || need+=(x11-apps)
have_pkg imagemagick || need+=(imagemagick)
have_pkg fonts-wine || need+=(fonts-wine)
# The download of `make dist`: the zip and the setup program.
have_cmd zip || need+=(zip)
have_cmd makensis || need+=(nsis)
have_cmd wine || need+=(wine)
have_pkg wine32:i386 || need+=(wine32:i386)
# Hosts that cannot execute 32-bit code run the 64-bit build in 64-bit Wine.
have_pkg wine64 || need+=(wine64)

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${need[*]}"
case " ${need[*]} " in
  *":i386"*)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      "${sudo_cmd[@]}" dpkg --add-architecture i386
    fi
    ;;
esac
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync serves index files that do not match their release
# file, for minutes or for days; apt-get update then fails although nothing is wrong here.
updated=false
for attempt in 1 2 3; do
  if "${sudo_cmd[@]}" apt-get update -qq; then
    updated=true
    break
  fi
  if [ "$attempt" -lt 3 ]; then
    echo "install-deps: apt-get update failed (try $attempt of 3); trying again in 20 s" >&2
    sleep 20
  fi
done
install=("${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends)
if ! "${install[@]}" "${need[@]}" >/dev/null; then
  "$updated" && exit 1
  # With one architecture's list of a suite missing (seen: bookworm-security's i386),
  # apt takes that suite's newer amd64 libraries, and their i386 twins, which must
  # carry the same version, cannot be had. The release's own versions exist for both.
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  echo "install-deps: some package lists are missing; installing $codename's own versions" >&2
  "${install[@]}" -o APT::Default-Release="$codename" "${need[@]}" >/dev/null
fi
