#!/usr/bin/env bash
# squish-headless under a memory limit: a scene that glues every contact with a new bond runs to
# its last frame, says once that impact bonds are not being made, and exits with status 0.
# Run on an optimised build without sanitizers (their shadow memory needs more address space
# than the limit allows).  usage: memory_limit.sh PATH/TO/squish-headless
set -u
headless=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'BONDTHRESHOLD=-1e30\nATOMSPACE=0.5\nBREAKTHRESHOLD=1e30\nBOX=-100,50,100,100,9,0\n' >"$dir/dense.scn"
(ulimit -v 300000; "$headless" --frames 20 "$dir/dense.scn" 2>"$dir/err")
status=$?
lines=$(wc -l <"$dir/err")
if [ "$status" -ne 0 ] || [ "$lines" -ne 1 ] || ! grep -q 'out of memory: impact bonds not made' "$dir/err"; then
  echo "memory_limit: status $status, standard error:"
  cat "$dir/err"
  exit 1
fi
echo "memory_limit: 20 frames under a 300 MB limit, status 0, one line: $(cat "$dir/err")"
