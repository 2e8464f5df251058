#!/usr/bin/env bash
# Configures and builds the fuzz tree in ./build-fuzz: clang with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, the parsers and their
# fuzz targets only (installing what it needs).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORIN_FUZZ=ON >/dev/null
cmake --build "$root/build-fuzz" --parallel 2
