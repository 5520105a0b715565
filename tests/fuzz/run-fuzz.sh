#!/usr/bin/env bash
# Runs one fuzz target over its seed corpus and then a fixed number of
# generated inputs, as a regression check.
#   run-fuzz.sh FUZZER CORPUS RUNS CRASH_DIR
# The seed corpus is only read: new inputs go to a scratch folder that is
# removed afterwards. An input that fails is kept in CRASH_DIR.
set -euo pipefail
fuzzer=$1 corpus=$2 runs=$3 crashes=$4

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$crashes"

# The same generated inputs every run (-seed=1). A reader that takes longer
# than 10 s on one input counts as hung. The targets' own printing is
# silenced; libFuzzer's and the sanitizers' reports still come through.
"$fuzzer" -runs="$runs" -seed=1 -timeout=10 -rss_limit_mb=2048 -close_fd_mask=3 \
  -artifact_prefix="$crashes/" "$scratch" "$corpus"
