#!/bin/sh
# Prepares a working directory outside the tracked tree, starts the demo's
# loopback server, runs the browser on the demo home page, and stops the
# server when the browser ends. A home page the user set there is kept.
set -e
BUILD=${1:-build}
[ $# -gt 0 ] && shift
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUN="$ROOT/$BUILD/run"
mkdir -p "$RUN/SYS"
for f in "$ROOT"/SYS/*; do
    name=$(basename "$f")
    if [ "$name" = VEK.INI ] && [ -e "$RUN/SYS/VEK.INI" ]; then continue; fi
    cp "$f" "$RUN/SYS/$name"
done
rm -rf "$RUN/demo" "$RUN/server.port"
cp -r "$ROOT/demo" "$RUN/demo"
python3 "$ROOT/tools/demo_server.py" --root "$RUN/demo/remote" --port-file "$RUN/server.port" &
SERVER=$!
trap 'kill $SERVER 2>/dev/null' EXIT INT TERM
i=0
while [ ! -s "$RUN/server.port" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
PORT=$(cat "$RUN/server.port" 2>/dev/null || echo 0)
find "$RUN/demo" -name '*.vek' -exec sed -i "s/{{PORT}}/$PORT/g" {} +
cd "$RUN"
"$ROOT/$BUILD/nuva" "$@" || true
