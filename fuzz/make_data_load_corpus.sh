#!/bin/sh
# Rebuilds the seed corpus of fuzz_data_load with the program's own writers.
# Usage: fuzz/make_data_load_corpus.sh <fuzz build dir>   (default build-fuzz)
set -e
build=${1:-build-fuzz}
here=$(dirname "$0")
cmake --build "$build" --target make_data_load_corpus
mkdir -p "$here/corpus/fuzz_data_load"
"$build/bin/make_data_load_corpus" "$here/corpus/fuzz_data_load"
