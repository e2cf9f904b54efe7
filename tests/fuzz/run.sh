#!/usr/bin/env bash
# Builds the vCard libFuzzer target (reader and card editor) natively with clang into <build>/fuzz and runs it for a
# bounded time (FESTIVO_FUZZ_SECONDS, default 60) from a fixed seed (FESTIVO_FUZZ_SEED, default 1), so that a
# fresh build's run retraces the same inputs. Every input it once failed on (tests/fuzz/found) is replayed first.
# Fails on any crash, leak, hang or sanitizer report.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${FESTIVO_BUILD:-$root/build}/fuzz
seconds=${FESTIVO_FUZZ_SECONDS:-60}
seed=${FESTIVO_FUZZ_SEED:-1}
mkdir -p "$out/corpus"

clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root" "$root/tests/fuzz/vcard_fuzz.cpp" "$root"/platform/store/vcard/*.cpp -o "$out/vcard_fuzz"

found=("$root"/tests/fuzz/found/*)
if [ -e "${found[0]}" ] && ! "$out/vcard_fuzz" -timeout=10 -rss_limit_mb=2048 "${found[@]}" >"$out/found.log" 2>&1; then
  tail -n 40 "$out/found.log" >&2
  echo "vCard fuzzing: an input of tests/fuzz/found fails again (see $out/found.log)" >&2
  exit 1
fi
echo "vCard fuzzing: ${#found[@]} earlier failing input(s) replayed"

# New inputs go to the build's corpus; the seeds in the source tree stay as they are.
if ! "$out/vcard_fuzz" -seed="$seed" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$out/" -print_final_stats=1 "$out/corpus" "$root/tests/fuzz/corpus" >"$out/fuzz.log" 2>&1; then
  tail -n 40 "$out/fuzz.log" >&2
  echo "vCard fuzzing failed; the crashing input is in $out (see $out/fuzz.log)" >&2
  exit 1
fi
grep -E '^(Done|stat::number_of_executed_units)' "$out/fuzz.log" || true
echo "vCard fuzzing: no crash in $seconds s"
