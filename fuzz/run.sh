#!/bin/sh
# Bounded libFuzzer runs: each target for 20 seconds, starting from a copy of
# its committed seed corpus so the tree is never changed. Exits non-zero when
# a target finds a crash; the crashing inputs are then kept and named.
set -u
build=${1:?usage: fuzz/run.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/nuva-fuzz.XXXXXX")
status=0
for target in fuzz_fields fuzz_renderer; do
    program="$build/fuzz/$target"
    if [ ! -x "$program" ]; then
        echo "fuzz: $program is not built"
        status=1
        continue
    fi
    mkdir -p "$work/$target/corpus" "$work/$target/crashes"
    cp "$here/corpus/$target"/* "$work/$target/corpus/"
    if "$program" -max_total_time=20 -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -artifact_prefix="$work/$target/crashes/" "$work/$target/corpus" \
        >"$work/$target/log" 2>&1; then
        echo "fuzz: $target: $(grep '^Done' "$work/$target/log" || echo finished)"
    else
        echo "fuzz: $target FAILED; the end of its log:"
        tail -n 40 "$work/$target/log"
        echo "fuzz: crashing inputs kept in $work/$target/crashes"
        status=1
    fi
done
[ "$status" -eq 0 ] && rm -rf "$work"
exit "$status"
