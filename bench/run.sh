#!/bin/sh
# Runs the benchmarks built in BUILD_DIR and prints their figures. Goals are
# printed beside the figures; nothing here fails because of a time.
set -e
build=${1:?usage: bench/run.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
"$build/bench/renderer_bench"
if [ -f "$here/window_bench.py" ]; then
    python3 "$here/window_bench.py" "$build"
fi
