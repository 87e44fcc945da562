#!/usr/bin/env bash
# Runs one fuzz target from a scratch copy of its seed corpus, so that the checked-in corpus is
# never written, and prints one line: the runs, the time and the corpus size. A crash, a hang
# (-timeout), a sanitizer report or a file left behind fails it; its report and the input that
# did it (in SCRATCH/artifacts) are shown. The line is also left in SCRATCH/summary.txt.
# Usage: run_fuzz_target.sh TARGET CORPUS SCRATCH [libFuzzer options...]
set -uo pipefail
target=$(realpath "$1") corpus=$2 scratch=$(realpath -m "$3")
shift 3
name=$(basename "$target")

rm -rf "$scratch"
mkdir -p "$scratch/corpus" "$scratch/artifacts"
cp -r "$corpus"/. "$scratch/corpus/"
# The targets' private folders: in memory when it can be (the engine writes a work copy for
# most commands, three times faster there than on disk).
tmp=$(mktemp -d /dev/shm/ormest_fuzz_run.XXXXXX 2>/dev/null || mktemp -d "$scratch/tmp.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
# As root the target gives up root for "nobody" (see fuzz_session.h): it must write here.
[ "$(id -u)" -eq 0 ] && chmod -R a+rwX "$scratch" "$tmp"

log="$scratch/log.txt"
start=$(date +%s.%N)
( cd "$scratch" && TMPDIR="$tmp" "$target" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$scratch/artifacts/" -print_final_stats=1 "$@" "$scratch/corpus" ) \
    >"$log" 2>&1
rc=$?
seconds=$(echo "$start $(date +%s.%N)" | awk '{printf "%.1f", $2 - $1}')
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
inputs=$(find "$scratch/corpus" -type f | wc -l)
left=$(find "$tmp" -mindepth 1 | head -5)

if [ $rc -ne 0 ]; then
    echo "$name FAILED (exit $rc) after ${runs:-?} runs, ${seconds} s; the end of its report:"
    grep -v '^#[0-9]' "$log" | tail -60
    echo "Inputs that did it:"
    ls -l "$scratch/artifacts"
    exit 1
fi
if [ -n "$left" ]; then
    echo "$name left files behind in its temporary folder:"
    echo "$left"
    exit 1
fi
echo "$name: ${runs:-?} runs in ${seconds} s, corpus ${inputs} inputs" | tee "$scratch/summary.txt"
