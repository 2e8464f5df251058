#!/usr/bin/env bash
# The commit --version reports is written at build time: right after a new
# commit without reconfiguring, left untouched (not rebuilt) when it did not
# change, "-dirty" with changes not committed, and a fallback outside git.
# Usage: tst_build_commit.sh SOURCE_DIR CMAKE
source "$(dirname "$0")/common.sh"
script="$1/cmake/BuildCommit.cmake"
cmake="$2"
command -v git >/dev/null || fail "git is not installed"
out="$tmp/BuildCommit.cpp"
generate() { "$cmake" -DSOURCE_DIR="$1" -DOUTPUT="$out" -DCOMMIT="${2:-}" -P "$script"; }
reported() { sed -n 's/.*QStringLiteral("\(.*\)").*/\1/p' "$out"; }

repo="$tmp/repo"
git init -q "$repo"
git -C "$repo" -c user.name=t -c user.email=t@t commit -q --allow-empty -m one
echo a >"$repo/f"
git -C "$repo" add f
git -C "$repo" -c user.name=t -c user.email=t@t commit -q -m two
generate "$repo"
[ "$(reported)" = "$(git -C "$repo" rev-parse --short=12 HEAD)" ] || fail "reported $(reported)"
touch -d "2001-01-01" "$out"
generate "$repo"
[ "$(stat -c %Y "$out")" = "$(date -d 2001-01-01 +%s)" ] || fail "rewritten although the commit is the same"

echo b >"$repo/f"
generate "$repo"
[ "$(reported)" = "$(git -C "$repo" rev-parse --short=12 HEAD)-dirty" ] || fail "changes not shown: $(reported)"
git -C "$repo" -c user.name=t -c user.email=t@t commit -q -am three
generate "$repo"
[ "$(reported)" = "$(git -C "$repo" rev-parse --short=12 HEAD)" ] || fail "the new commit not shown: $(reported)"

mkdir "$tmp/tarball"
generate "$tmp/tarball"
[ "$(reported)" = unknown ] || fail "outside git: $(reported)"
generate "$tmp/tarball" 1a2b3c
[ "$(reported)" = 1a2b3c ] || fail "the builder's commit not taken: $(reported)"
if generate "$tmp/tarball" 'x"); evil(' 2>/dev/null; then fail "a commit name with quotes was taken"; fi
echo "build commit ok"
