#!/usr/bin/env bash
# Soak: the real tool polls the simulated unit for SECONDS (default 3600) while the
# unit's faults are switched on and off every PERIOD seconds (default 30; 0 keeps the
# unit well-behaved). Reports the tool's CPU share and how its resident memory grew
# from the end of a warm-up to the end; every sample goes to build/soak-rss.txt.
# Run after scripts/build.
#   bench/soak.sh [SECONDS] [PERIOD]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-3600}
period=${2:-30}
bin=build/bin
samples=build/soak-rss.txt
warmup=$(( seconds / 10 < 60 ? seconds / 10 : 60 ))
# Each switch sets the faults afresh; every other one clears them.
faults=("--bad-check" "--split" "--silent 0x20" "--wrong-length 0x20" "--silent all"
        "--split --bad-check" "--silent 0x4C" "--wrong-length 0x4C --split")

work=$(mktemp -d)
mkfifo "$work/faults"
"$bin/zhv22-sim" --type 0x11 --gas 27 --stdin-faults <"$work/faults" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
exec 3>"$work/faults"
trap 'exec 3>&-; kill $sim_pid ${tool_pid:-} 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
port=$(head -n 1 "$work/sim.out")

QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bin/BToolZHV22MT" --port "$port" &
tool_pid=$!

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$tool_pid/stat"; }
rss() { awk '/VmRSS/ {print $2}' "/proc/$tool_pid/status"; }
: >"$samples"
switches=0
start_cpu= base= peak=0
for ((s = 1; s <= seconds; s++)); do
  sleep 1
  kill -0 "$tool_pid" 2>/dev/null || { echo "soak: the tool died after $s s" >&2; exit 1; }
  if [ "$period" -gt 0 ] && (( s % period == 0 )); then
    if (( switches % 2 == 0 )); then echo "${faults[$(( switches / 2 % ${#faults[@]} ))]}" >&3; else echo >&3; fi
    switches=$(( switches + 1 ))
  fi
  if (( s == warmup )); then start_cpu=$(cpu); base=$(rss); fi
  if (( s % 10 == 0 || s == warmup || s == seconds )); then
    now=$(rss)
    echo "$s $now" >>"$samples"
    [ "$now" -gt "$peak" ] && peak=$now
  fi
done
end=$(rss)
used=$(( $(cpu) - start_cpu ))
measured=$(( seconds - warmup ))
echo "soak: $seconds s of polling, faults switched $switches times (every $period s)"
awk -v u="$used" -v t="$ticks" -v m="$measured" -v b="$base" -v e="$end" -v p="$peak" -v w="$warmup" 'BEGIN {
  printf "soak: CPU %.2f%% of one core; resident memory %.2f MB after %d s, %.2f MB at the end: growth %+.2f MB (peak %.2f MB)\n",
         100 * u / t / m, b / 1024, w, e / 1024, (e - b) / 1024, p / 1024 }'
kill -TERM "$tool_pid"
wait "$tool_pid" && echo "soak: the tool exited with status 0 on SIGTERM"
