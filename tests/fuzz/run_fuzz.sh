#!/usr/bin/env bash
# run_fuzz.sh TARGET REGRESSIONS_DIR CORPUS_DIR SECONDS SEED_MAKER
# Replays every kept finding, then fuzzes for SECONDS from the corpus (seeded by the target's
# seed files when empty). A new finding fails the test; copy it into REGRESSIONS_DIR to keep it.
set -uo pipefail
target=$1 regressions=$2 corpus=$3 seconds=$4 seed_maker=$5
name=$(basename "$target")
mkdir -p "$corpus"
if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions" 2>/dev/null)" ]; then
  "$target" -runs=0 "$regressions"/* >/dev/null 2>"$corpus.replay.log" || {
    cat "$corpus.replay.log"; echo "FAIL: a kept finding of $name fails again"; exit 1; }
  echo "replayed $(ls "$regressions" | wc -l) kept finding(s)"
fi
seeds="$corpus.seeds"
[ -d "$seeds" ] || "$seed_maker" "$seeds" || { echo "FAIL: no seeds"; exit 1; }
artifacts="$corpus.findings"
mkdir -p "$artifacts"
"$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=262144 \
  -artifact_prefix="$artifacts/" "$corpus" $seeds > "$corpus.log" 2>&1
rc=$?
tail -n 3 "$corpus.log"
if [ $rc -ne 0 ]; then
  grep -m 20 -E 'ERROR|SUMMARY|==' "$corpus.log"
  echo "FAIL: $name found a problem; the input is in $artifacts"
  exit 1
fi
echo "$name: $(ls "$corpus" | wc -l) corpus files"
