#!/usr/bin/env bash
# Soak run (not part of the tests): one demo under Xvfb, F6 (set the world
# scene up again) every few seconds, the resident memory sampled every
# second. After the fifth reload the settled resident size (just before the
# next F6) must stay within 1% of what it was then.
#   scripts/soak.sh [world_demo|nature1_demo] [minutes] [seconds between F6]
# VORM_BUILD names the build folder (default build/). Writes the samples to
# <build>/soak-<program>.csv (seconds, reloads, resident KiB) and leaves the
# program's console output and memory logs beside it.
set -uo pipefail
cd "$(dirname "$0")/.."

demo=${1:-world_demo}
minutes=${2:-10}
every=${3:-5}
build=$(cd "${VORM_BUILD:-build}" && pwd)
src=$(pwd)
[ -x "$build/$demo" ] || { echo "no $build/$demo: build first"; exit 1; }

if [ -z "${VORM_SOAK_INNER:-}" ]; then
  export VORM_SOAK_INNER=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$demo" "$minutes" "$every"
fi
export MESA_GL_VERSION_OVERRIDE=3.1FC MESA_GLSL_VERSION_OVERRIDE=140
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
ln -s "$src/data" "$work/data"
cp "$build/$demo" "$work/bin/"
out="$build/soak-$demo"
csv="$out.csv"
log="$out.log"

(cd "$work/bin" && exec "./$demo") >"$log" 2>&1 &
pid=$!
rss() { awk '/^VmRSS/ { print $2 }' "/proc/$pid/status" 2>/dev/null; }
toggles() { grep -c "Is sound playing?" "$log"; }

# The window, focused, once the first frame is up.
for _ in $(seq 1 300); do
  wid=$(xdotool search --onlyvisible --name VormWindow 2>/dev/null | head -1)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || { echo "$demo showed no window"; kill "$pid"; exit 1; }
xdotool windowfocus "$wid"

# F6 is read in the frame that prints F5's message: both held until then.
reload() {
  local before; before=$(toggles)
  xdotool keydown F6 keydown F5
  for _ in $(seq 1 300); do
    [ "$(toggles)" -gt "$before" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  xdotool keyup F6 keyup F5
}

echo "seconds,reloads,rss_kib" >"$csv"
start=$SECONDS
reloads=0
next=$((start + every))
while [ $((SECONDS - start)) -lt $((minutes * 60)) ]; do
  kill -0 "$pid" 2>/dev/null || { echo "$demo ended during the soak"; cat "$log"; exit 1; }
  if [ "$SECONDS" -ge "$next" ]; then
    reload
    reloads=$((reloads + 1))
    next=$((SECONDS + every))
  fi
  echo "$((SECONDS - start)),$reloads,$(rss)" >>"$csv"
  sleep 1
done

kill -TERM "$pid"
wait "$pid"; code=$?
cp "$work/bin/memleaks.log" "$out-memleaks.log" 2>/dev/null
cp "$work/bin/memory.log" "$out-memory.log" 2>/dev/null

# The settled size after each reload is the last sample before the next F6
# (samples during a set-up also hold what it loads and frees again). From
# the fifth reload on it must stay within 1% of what it was then.
awk -F, -v demo="$demo" -v code="$code" '
  NR == 2 { start = $3 }
  NR > 1 && $3 > 0 {
    if ($2 != reloads && reloads >= 5) settled(size)
    reloads = $2; size = $3
    if ($2 >= 5) { if ($3 > rawMax) rawMax = $3; if (rawMin == "" || $3 < rawMin) rawMin = $3 }
  }
  function settled(kib) {
    if (base == "") base = kib
    if (kib > max) max = kib
    if (min == "" || kib < min) min = kib
    last = kib
  }
  END {
    if (base == "") { print demo ": fewer than six reloads"; exit 1 }
    growth = 100 * (max - base) / base
    printf "%s: %d reloads; resident %d KiB at start; settled after reload 5: %d KiB, then %d..%d KiB, %d KiB at the end (%+.2f%% at most); all samples from reload 5 on: %d..%d KiB; exit %d\n",
      demo, reloads, start, base, min, max, last, growth, rawMin, rawMax, code
    exit !(growth <= 1.0 && code == 0)
  }' "$csv"
status=$?
grep -h "memory leaks\|No memory leaks" "$out-memleaks.log" 2>/dev/null | head -1
exit $status
