#!/usr/bin/env bash
# `make lint`: every C++ file in clang-format's style (.clang-format), and clang-tidy's
# checks (.clang-tidy) over the program's own code as the builds compile it: the portable
# logic as the native build does, the Win32 layer and the program as the 32-bit MinGW
# build does. Fails on the first difference or finding.
#   --fix   reformats the files in place instead (clang-tidy's findings stay for a person)
# The compile commands come from build/native and build/windows (configured when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

fix=false
case ${1-} in
  --fix) fix=true ;;
  "") ;;
  *) echo "usage: $0 [--fix]" >&2; exit 2 ;;
esac

if [ -e .git ]; then
  mapfile -t sources < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t sources < <(find . -path ./build -prune -o -path ./dist -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi
jobs=$(nproc)
if $fix; then
  printf '%s\n' "${sources[@]}" | xargs -P"$jobs" -n16 clang-format -i
  exit 0
fi
printf '%s\n' "${sources[@]}" | xargs -P"$jobs" -n16 clang-format --dry-run --Werror ||
  { echo "lint: not in the style of .clang-format; scripts/lint.sh --fix reformats" >&2; exit 1; }

# The program's code, not the tests, the stand-ins or the bench, which only drive it.
portable='app|player|messenger|tray'
product='app|player|messenger|tray|win32'
header_filter="^$root/(app|player|messenger|tray|common|win32)/"

# One compile command per file from a build's database, of the files under the given
# folders and not in the skip list: a file that two targets compile (the stand-ins'
# wide-only Win32 layer) is checked as the program's target, the first, compiles it.
lint_database() {
  local build=$1 folders=$2 out=$3 skip=${4:-/dev/null}
  [ -f "build/$build/compile_commands.json" ] || cmake --preset "$build" >/dev/null
  mkdir -p "$out"
  awk -v want="^\"$root/($folders)/[^\"]*\\\\.cpp\"" '
    FILENAME != ARGV[ARGC - 1] { seen["\"" $0 "\""] = 1; next }
    /^\{/ { entry = $0; file = ""; next }
    /^  "file": / { file = $2; sub(/,$/, "", file) }
    /^\}/ {
      if (file ~ want && !(file in seen)) {
        seen[file] = 1
        printf "%s%s\n}", (n++ ? ",\n" : "[\n"), entry
        print substr(file, 2, length(file) - 2) >files
      }
      next
    }
    entry != "" { entry = entry "\n" $0 }
    END { print (n ? "\n]" : "[]") }
  ' files="$out/files" "$skip" "build/$build/compile_commands.json" >"$out/compile_commands.json"
}

# The portable files once, natively: a 64-bit size_t makes more of their conversions narrow.
lint_database native "$portable" build/lint/native
lint_database windows "$product" build/lint/windows build/lint/native/files

# clang reads the MinGW headers for the build's target; the C++ library's folders are
# GCC's, so they are taken from the cross compiler. DECLSPEC_IMPORT is emptied because
# clang, unlike GCC, does not take an imported function's address as a constant
# (win32/api.cpp's tables of functions), and that alone would stop the file's analysis.
cxx=$(sed -n 's/^set(CMAKE_CXX_COMPILER "\(.*\)")$/\1/p' build/windows/CMakeFiles/*/CMakeCXXCompiler.cmake | head -1)
target=$(basename "$cxx")
target=${target%%-g++*}
mingw_args=(--extra-arg=--target="$target" --extra-arg=-DDECLSPEC_IMPORT=)
while read -r dir; do
  mingw_args+=(--extra-arg=-isystem"$dir")
done < <("$cxx" -v -E -x c++ /dev/null 2>&1 | sed -n '/^#include <...>/,/^End of search/p' | grep '/c++' | sed 's/^ *//')

# Each file's count of the warnings it did not show (the system headers') is left out.
tidy() {
  local build=$1
  shift
  xargs -P"$jobs" -n1 clang-tidy --quiet -p "build/lint/$build" --header-filter="$header_filter" "$@" \
    <"build/lint/$build/files" 2>&1 | { grep -v '^[0-9]* warnings\? generated\.$' || true; }
  return "${PIPESTATUS[0]}"
}
status=0
tidy native || status=1
tidy windows "${mingw_args[@]}" || status=1
[ $status -eq 0 ] || echo "lint: clang-tidy found the faults above (.clang-tidy)" >&2
exit $status
