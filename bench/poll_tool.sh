#!/usr/bin/env bash
# CPU share and resident memory of the running tool while it polls the simulated
# unit, over SECONDS (default 60). Run after scripts/build.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bin=build/bin

sim_out=$(mktemp)
"$bin/zhv22-sim" --type 0x11 --gas 27 >"$sim_out" &
sim_pid=$!
trap 'kill $sim_pid ${tool_pid:-} 2>/dev/null || true; rm -f "$sim_out"' EXIT
for _ in $(seq 50); do [ -s "$sim_out" ] && break; sleep 0.1; done
port=$(head -n 1 "$sim_out")

QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bin/BToolZHV22MT" --port "$port" &
tool_pid=$!
sleep 3  # identification and the first status responses

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$tool_pid/stat"; }
start=$(cpu)
peak=0
for _ in $(seq "$seconds"); do
  sleep 1
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$tool_pid/status")
  [ "$rss" -gt "$peak" ] && peak=$rss
done
used=$(( $(cpu) - start ))
awk -v u="$used" -v t="$ticks" -v s="$seconds" -v p="$peak" 'BEGIN {
  printf "polling for %d s: CPU %.2f%% of one core, peak resident memory %.1f MB\n", s, 100 * u / t / s, p / 1024 }'
kill -TERM "$tool_pid"
wait "$tool_pid" && echo "tool exited with status 0 on SIGTERM"
