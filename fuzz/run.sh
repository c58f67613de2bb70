#!/usr/bin/env bash
# Runs one fuzz target for a fixed time over its seed corpus, without adding to the committed
# seeds: what it finds goes to a scratch folder. A crash or a failed expectation fails the run.
#
#   fuzz/run.sh TARGET SEED_DIR SECONDS
set -euo pipefail
target=$1 seeds=$2 seconds=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# 4 KB inputs: the literal reference is slow on long texts, and short ones find the faults.
"$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$scratch/" "$scratch" "$seeds"
