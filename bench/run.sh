#!/usr/bin/env bash
# `make bench`: measures the built programs and prints one table of figures.
#   footprint   the 32-bit program's stripped size and imported DLLs
#   native      allocations per tick, Google Benchmark timings (tick_bench)
#   Wine        scan cost against the bare system calls (scan_bench.exe); idle CPU,
#               working set and change-to-arrival latency (program_bench.exe)
# IDLE_SECONDS (60) and CHANGES (120) in the environment change the Wine measurements.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"

rows=$(mktemp)
trap 'wine_session_stop; rm -f "$rows"' EXIT
trap 'exit 130' INT TERM

# Passes a measuring program's output on and keeps its summary rows
# ("row: target|figure|value|goal").
collect() {
  local line
  while IFS= read -r line; do
    printf '%s\n' "$line"
    case $line in
      *"row: "*) printf '%s\n' "${line#*row: }" >>"$rows" ;;
    esac
  done
}

echo "== machine"
echo "$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $(free -g | awk '/Mem:/ {print $2}') GiB;" \
  "load average $(cut -d' ' -f1-3 /proc/loadavg); $("$WINE_LOADER" --version)"

echo "== footprint"
product=$root/build/windows/bin/nowplaying.exe
cxx=$(sed -n 's/^set(CMAKE_CXX_COMPILER "\(.*\)")$/\1/p' "$root"/build/windows/CMakeFiles/*/CMakeCXXCompiler.cmake | head -1)
stripped=$(mktemp --suffix=.exe)
i686-w64-mingw32-strip -o "$stripped" "$product"
bytes=$(stat -c %s "$stripped")
# The resources (the icon's images, most of them) have a goal of their own to leave out.
resources=$(i686-w64-mingw32-objdump -h "$stripped" | awk '$2 == ".rsrc" {print $3}')
code=$((bytes - 0x${resources:-0}))
rm -f "$stripped"
dlls=$(i686-w64-mingw32-objdump -p "$product" | awk '/DLL Name:/ {print $3}' | paste -sd' ' -)
threads=$("$cxx" -v 2>&1 | sed -n 's/^Thread model: //p')
echo "$product, built by $cxx (thread model $threads)"
echo "stripped: $bytes bytes; imports:"
i686-w64-mingw32-objdump -p "$product" |
  awk '/DLL Name:/ {dll = $3; next} dll && /^\t[0-9a-f]+\t/ {n[dll]++} /^$/ {dll = ""}
       END {for (d in n) printf "  %s: %d functions\n", d, n[d]}'
echo "row: 4|stripped size, 32-bit nowplaying.exe ($threads threads): in all / without the resources|$(awk -v b="$bytes" -v c="$code" 'BEGIN {printf "%.1f KiB (%d bytes) / %.1f KiB (%d bytes)", b / 1024, b, c / 1024, c}')|<= 224 KiB / <= 150 KiB" | collect
echo "row: 4|imported DLLs|$dlls|system DLLs only" | collect

echo "== native"
"$root/build/native/bin/tick_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.2 2>&1 | collect

echo "== Wine"
preset=$(wine_build_preset)
bin=$root/build/$preset/bin
if [ "$preset" = windows-x64 ]; then
  echo "this host runs no 32-bit code: the Wine figures are of the 64-bit build ($bin)"
fi
# A Wine server round trip costs about three times as much when the server and its client
# run on different cores, and where the scheduler puts them changes from round to round:
# unpinned, one program's rounds took 10 % and 36 % of a core, and the ratios swung by a
# factor of three. The whole session (display, server, every Wine process) runs on one
# core, BENCH_CPU (0 unless set), so that each round trip costs the same.
bench_cpu=${BENCH_CPU:-0}
taskset -p -c "$bench_cpu" $$ >/dev/null || exit 1
wine_session_start private || exit 1
# The current Windows, whatever version the last test run left in the shared prefix.
wine_set_version
# A server that lives through both programs, so that its CPU time can be read.
"$WINESERVER" -p
server_pid=
for pid in $(pgrep -x 'wineserver|wineserver32|wineserver64'); do
  if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
    server_pid=$pid
  fi
done
# A server left from before the session would not have inherited the core.
[ -z "$server_pid" ] || taskset -a -p -c "$bench_cpu" "$server_pid" >/dev/null
echo "Wine session on core $bench_cpu; load average $(cut -d' ' -f1-3 /proc/loadavg)"
"$WINE_LOADER" "$bin/scan_bench.exe" 2>/dev/null | collect
"$WINE_LOADER" "$bin/program_bench.exe" --idle "${IDLE_SECONDS:-60}" --changes "${CHANGES:-120}" \
  ${server_pid:+--wineserver-pid "$server_pid"} 2>/dev/null | collect
wine_session_stop
echo "load average after the Wine part $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "| target | figure | measured | goal |"
echo "|---|---|---|---|"
tr -d '\r' <"$rows" | awk -F'|' '{printf "| %s | %s | %s | %s |\n", $1, $2, $3, $4}'
