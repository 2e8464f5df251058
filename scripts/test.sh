#!/usr/bin/env bash
# Builds everything and runs every test through CTest; fails when one fails.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh"
# Setup installed Chromium: the browser test must run, not skip.
export QUORIN_REQUIRE_BROWSER=1
ctest --test-dir "$root/build" --output-on-failure --timeout 300
# Setup installed PostgreSQL: its tests must run, not skip.
QUORIN_REQUIRE_PG=1 BUILD_DIR="$root/build" bash "$root/scripts/pg_test.sh"
# The fuzz tree (clang, libFuzzer, ASan, UBSan): each fuzzer for a short
# fixed time over its seeds and committed regression inputs.
bash "$root/scripts/build-fuzz.sh"
ctest --test-dir "$root/build-fuzz" -L fuzz --output-on-failure --parallel 2
