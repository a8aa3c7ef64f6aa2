#!/usr/bin/env bash
# Builds the trace reader's fuzzer with clang in build-fuzz and runs it over tests/fuzz/corpus for a bounded time:
# 60 s, or the seconds given. Fails on any crash, leak, sanitizer report or hang, leaving the input that caused it
# in build-fuzz/findings/. With --merge, the inputs that reached new code are folded into tests/fuzz/corpus.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=60
merge=0
for arg in "$@"; do
  case $arg in
    --merge) merge=1 ;;
    *[!0-9]* | '') echo "usage: $0 [SECONDS] [--merge]" >&2; exit 2 ;;
    *) seconds=$arg ;;
  esac
done

build=$root/build-fuzz
# -O1 with line tables: what the sanitizers advise, at half the build time of -O2 with full debug information.
flags="-O1 -gline-tables-only -DNDEBUG"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags" -DVESK_FUZZ=ON -DVESK_BUILD_BENCH=OFF -DVESK_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" --target trace_fuzz -j2

fuzzer=$build/tests/fuzz/trace_fuzz
corpus=$root/tests/fuzz/corpus
found=$build/corpus-found
findings=$build/findings
mkdir -p "$found" "$findings"
# Seeds are a few records of real traces, about 5 KB; inputs may grow a little past them. A replay of at most eight
# records takes well under a second, so ten seconds means a hang.
"$fuzzer" -max_total_time="$seconds" -max_len=12000 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$findings/" "$found" "$corpus"
if [ "$merge" -eq 1 ]; then
  "$fuzzer" -merge=1 -max_len=12000 "$corpus" "$found"
fi
