#!/usr/bin/env bash
# Runs libFuzzer targets one after another, each for the given number of seconds, on its own
# growing corpus (BUILD/corpus/NAME) seeded from tests/corpus/NAME. Findings are written to
# BUILD/findings/; the run fails when any target finds something.
# usage: run_fuzzers.sh BUILD_DIR SECONDS NAME...   (NAME_fuzz in BUILD_DIR/tests/fuzz)
set -uo pipefail
build=$1 seconds=$2
shift 2
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
mkdir -p "$build/findings"
failed=()
for name in "$@"; do
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [[ -d "$source_dir/tests/corpus/$name" ]] && seeds=("$source_dir/tests/corpus/$name")
  dict=()
  [[ -f "$source_dir/tests/fuzz/$name.dict" ]] && dict=(-dict="$source_dir/tests/fuzz/$name.dict")
  case $name in
    bmp | scene | world_file) max_len=65536 ;;
    input_script) max_len=16384 ;;
    *) max_len=4096 ;;
  esac
  echo "== ${name}_fuzz for ${seconds}s"
  "$build/tests/fuzz/${name}_fuzz" -max_total_time="$seconds" -max_len="$max_len" -timeout=30 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/findings/$name-" \
    "${dict[@]}" "$corpus" "${seeds[@]}" 2>"$build/$name.log"
  status=$?
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec)|^SUMMARY' "$build/$name.log"
  if [[ $status -ne 0 ]]; then
    failed+=("$name")
    tail -n 60 "$build/$name.log"
  fi
done
if [[ ${#failed[@]} -ne 0 ]]; then
  echo "fuzzing found problems in: ${failed[*]} (inputs in $build/findings)"
  exit 1
fi
