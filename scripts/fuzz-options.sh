#!/usr/bin/env bash
# Builds the options document fuzzer with clang and runs it for the given number of seconds
# (default 300) on all cores but one. Findings land in the build folder's fuzz/options-findings.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$("$top/scripts/build-target.sh" fuzz meltrow_fuzz_options)"
seconds="${1:-300}"
jobs="${MELTROW_FUZZ_JOBS:-$(( $(nproc) > 1 ? $(nproc) - 1 : 1 ))}"

corpus="$build/fuzz/options-corpus"
findings="$build/fuzz/options-findings"
mkdir -p "$corpus" "$findings"

# Seeds: the built-in document, a small one, and one with members of the wrong types.
cp "$top/app/resources/comboList.json" "$corpus/seed-builtin.json"
small='{"name":"kivWaveFile","samplerate":{"default":1,"value":[{"text":"48000","code":"-ar 48000"},{"text":"44100 Hz","code":"-ar 44100"}],"suffix":"Hz"},"bit":{"default":0,"value":[{"text":"16","code":"-acodec pcm_s16le"}],"suffix":"bit"},"channel":{"default":0,"value":[{"text":"mono","code":"-ac 1","value":1}],"suffix":""}}'
printf '%s' "$small" > "$corpus/seed-small.json"
printf '%s' "$small" | sed 's/"default":1/"default":"1"/; s/"value":1}/"value":"1"}/; s/\[{"text":"16"/[{"text":24},{"text":"16"/' > "$corpus/seed-types.json"

cd "$findings"
# Undefined behaviour counts as a finding, except RapidJSON's own harmless one.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$top/fuzz/options-ubsan.supp"
# -rss_limit_mb keeps a run that loads too much from passing; -timeout catches hangs.
"$build/fuzz/meltrow_fuzz_options" "$corpus" -dict="$top/fuzz/options.dict" \
    -max_total_time="$seconds" -jobs="$jobs" -workers="$jobs" \
    -max_len=8192 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/"
