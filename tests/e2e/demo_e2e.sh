#!/usr/bin/env bash
# End to end: runs world_demo and nature1_demo on their own Xvfb display,
# presses keys with xdotool, checks the console messages, probes screenshots
# (sky, terrain, water, grass, shadows, wireframe) and ends each with SIGTERM:
# exit code 0, no leaks in memleaks.log, no GL error printed.
#   demo_e2e.sh <build dir> <source dir>
set -uo pipefail

build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)

# Own display of a known size, whatever the caller has.
if [ -z "${VORM_E2E_INNER:-}" ]; then
  export VORM_E2E_INNER=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build" "$src"
fi
export MESA_GL_VERSION_OVERRIDE=3.1FC MESA_GLSL_VERSION_OVERRIDE=140
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

work=$(mktemp -d)
shots="$build/e2e"
mkdir -p "$work/bin" "$shots"
ln -s "$src/data" "$work/data"
trap 'rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Mean colour "r g b" (0..255) of a rectangle x y w h of a PNG.
mean() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -scale '1x1!' -depth 8 \
    -format '%[fx:int(255*r+0.5)] %[fx:int(255*g+0.5)] %[fx:int(255*b+0.5)]' info:
}
# Brightness 0..255 of the same.
bright() { mean "$@" | awk '{ print int(($1 + $2 + $3) / 3) }'; }
# Mean edge strength 0..1 of the same: fine detail such as grass blades.
edges() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace gray -edge 1 -format '%[fx:mean]' info:
}
# Share (0..100) of the pixels of a rectangle that are the black clear colour.
black_share() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace gray -threshold 1% -negate \
    -format '%[fx:int(100*mean+0.5)]' info:
}
shot() { import -window root "$shots/$1.png" && echo "$shots/$1.png"; }

# Polls until the console log has one more line matching the text than before.
wait_line() {
  local text=$1 before=$2 limit=$3 t=0
  while [ "$(grep -cF -- "$text" "$log")" -le "$before" ]; do
    sleep 0.2; t=$((t + 1))
    if [ $t -gt $((limit * 5)) ]; then return 1; fi
    kill -0 "$pid" 2>/dev/null || return 1
  done
}
# Holds the keys down until the message appears (the demo reads keys once per
# frame and locks them for half a second of update time after each action).
press() {
  local text=$1; shift
  local before; before=$(grep -cF -- "$text" "$log")
  xdotool keydown "$@"
  wait_line "$text" "$before" 60 || fail "keys $* printed no \"$text\""
  xdotool keyup "$@"
}
# F6 sets the world scene up and prints nothing: it is held down from before
# F5 until F5's message (the text given) shows the keys were read; then the
# set-up is given time and the demo must still run.
press_f6() {
  xdotool keydown F6
  press "$1" F5
  xdotool keyup F6
  sleep 2
  kill -0 "$pid" 2>/dev/null || fail "$demo ended after F6"
}

# First frame: something other than black on the screen.
wait_frame() {
  local t=0
  while [ $t -lt 120 ]; do
    kill -0 "$pid" 2>/dev/null || { fail "$demo ended before its first frame"; return 1; }
    import -window root "$work/probe.png" 2>/dev/null &&
      [ "$(bright "$work/probe.png" 0 0 1024 768)" -gt 20 ] && return 0
    sleep 0.5; t=$((t + 1))
  done
  fail "$demo showed no frame within 60 s"; return 1
}

start() {
  demo=$1
  cp "$build/$demo" "$work/bin/"
  log="$shots/$demo.log"
  rm -f "$work/bin/memleaks.log"
  (cd "$work/bin" && exec "./$demo") >"$log" 2>&1 &
  pid=$!
  local t0=$SECONDS
  wait_frame || return 1
  echo "$demo: first frame after about $((SECONDS - t0)) s"
  wid=$(xdotool search --sync --name VormWindow | head -1)
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
}

stop() {
  kill -TERM "$pid"
  wait "$pid"; local code=$?
  [ $code -eq 0 ] || fail "$demo exited with $code after SIGTERM"
  grep -q "No memory leaks found" "$work/bin/memleaks.log" 2>/dev/null || fail "$demo: memleaks.log reports leaks"
  if grep -qiE "invalid (enumerant|value|operation|framebuffer)|out of memory|unknown GL error|compile failed|link failed|Assertion failed" "$log"; then
    fail "$demo printed a GL error:"; grep -iE "invalid|memory|error|failed" "$log" | head -5
  fi
}

# ---- world_demo ----
if start world_demo; then
  # The flight starts low over the northern meadow looking across the river:
  # sky, the far hills, the river, and the meadow's grass in the lower part.
  f=$(shot world)
  terrain_black=$(black_share "$f" 0 180 1024 200)
  sky=$(mean "$f" 0 0 1024 40); land=$(bright "$f" 0 180 1024 120); water=$(mean "$f" 0 390 1024 40)
  grass=$(mean "$f" 0 600 1024 168); blades=$(edges "$f" 0 600 1024 168)
  echo "world: sky $sky, land $(mean "$f" 0 180 1024 120), water $water, grass $grass with edges $blades"
  read -r r g b <<<"$sky"
  [ "$b" -gt 120 ] && [ "$b" -ge "$r" ] || fail "world: no sky at the top ($sky)"
  read -r lr lg lb <<<"$(mean "$f" 0 180 1024 120)"
  [ "$land" -lt "$(( (r + g + b) / 3 - 60 ))" ] && [ "$lg" -gt "$lr" ] && [ "$lg" -gt "$lb" ] ||
    fail "world: no green terrain below the sky ($lr $lg $lb)"
  read -r wr wg wb <<<"$water"
  [ $(( (wr - r) * (wr - r) + (wg - g) * (wg - g) + (wb - b) * (wb - b) )) -gt 900 ] ||
    fail "world: the water looks like the sky ($water against $sky)"
  [ "$wb" -gt "$wr" ] || fail "world: the water is not blue ($water)"
  # Bare ground is smooth (edges about 0.01); blades make it busy.
  read -r gr gg gb <<<"$grass"
  [ "$gg" -gt "$gr" ] && [ "$gg" -gt "$gb" ] && awk -v e="$blades" 'BEGIN { exit !(e > 0.06) }' ||
    fail "world: no grass in the lower part ($grass, edges $blades)"

  press "Is sound playing? 0" F5
  press "Is Wireframe mode? 1" F1
  sleep 1
  f=$(shot world-wireframe)
  # The terrain band: filled, no pixel is the clear colour; in lines, most are.
  share=$(black_share "$f" 0 180 1024 200)
  echo "world: background in the terrain band $terrain_black% filled, $share% in wireframe"
  [ "$terrain_black" -lt 10 ] && [ "$share" -gt 40 ] ||
    fail "world: wireframe shows no background through the terrain ($terrain_black% against $share%)"
  press "Is Wireframe mode? 0" F1
  press "Scene Camera active. " F2
  press_f6 "Is sound playing? 1"
  f=$(shot world-again)
  # The scene camera stands where the flight stood at F2: sky above, the
  # meadows below it.
  sky=$(mean "$f" 0 0 1024 100); grass=$(mean "$f" 0 200 1024 200)
  echo "world after F6 (scene camera): sky $sky, grass $grass"
  read -r r g b <<<"$sky"
  [ "$b" -gt 120 ] && [ "$b" -ge "$r" ] || fail "world: no sky before the scene camera ($sky)"
  read -r r g b <<<"$grass"
  [ "$g" -gt 30 ] && [ "$g" -gt "$r" ] && [ "$g" -gt "$b" ] || fail "world: no grass before the scene camera ($grass)"
  stop
fi

# ---- nature1_demo ----
if start nature1_demo; then
  # Rewound and stopped: the flight's first position.
  press "Stop Animation. " BackSpace
  sleep 2
  f=$(shot nature1)
  sky=$(mean "$f" 400 0 300 60); water=$(mean "$f" 300 400 400 100)
  shade=$(bright "$f" 650 645 250 30); lit=$(bright "$f" 600 730 300 35); lit2=$(bright "$f" 150 645 250 30)
  echo "nature1: sky $sky, water $water, shadow $shade, lit ground $lit and $lit2"
  read -r r g b <<<"$sky"
  [ "$b" -gt 120 ] && [ "$b" -gt "$r" ] || fail "nature1: no sky at the top ($sky)"
  read -r wr wg wb <<<"$water"
  [ $(( (wr - r) * (wr - r) + (wg - g) * (wg - g) + (wb - b) * (wb - b) )) -gt 900 ] ||
    fail "nature1: the water looks like the sky ($water against $sky)"
  [ $((shade * 4)) -lt $((lit * 3)) ] && [ $((shade * 4)) -lt $((lit2 * 3)) ] ||
    fail "nature1: the shadow on the ground ($shade) is not darker than the lit ground ($lit, $lit2)"

  # F1 let go while Alt is held: wireframe goes on once and toggles no more.
  xdotool keydown F1
  wait_line "Is Wireframe mode? 1" "$(grep -cF "Is Wireframe mode? 1" "$log")" 60 || fail "nature1: F1 printed nothing"
  xdotool keydown alt keyup F1 keyup alt
  sleep 0.3; toggles=$(grep -cF "Is Wireframe mode?" "$log")
  sleep 1.5; more=$(( $(grep -cF "Is Wireframe mode?" "$log") - toggles ))
  echo "nature1: F1 let go under Alt, then $more more wireframe lines in 1.5 s"
  [ "$more" -eq 0 ] || fail "nature1: F1 let go under Alt stays held ($more more wireframe lines)"
  [ "$(grep -F "Is Wireframe mode?" "$log" | tail -1)" = "Is Wireframe mode? 0" ] || press "Is Wireframe mode? 0" F1

  # Paused, the scene camera moves only through input: one wheel notch with
  # Alt held moves it once, and then it stays.
  press "Scene Camera active. " F2
  xdotool mousemove 512 384; sleep 0.5
  before=$(shot nature1-scene)
  xdotool keydown alt click 4
  t=0
  while [ "$(compare -metric AE "$before" "$(shot nature1-notch)" null: 2>&1 | awk '{ print int($1) }')" -eq 0 ]; do
    t=$((t + 1)); [ $t -lt 20 ] || break; sleep 0.5
  done
  sleep 0.3; notch=$(shot nature1-notch); sleep 1; later=$(shot nature1-notch-later)
  xdotool keyup alt
  moved=$(compare -metric AE "$before" "$notch" null: 2>&1 | awk '{ print int($1) }')
  drift=$(compare -metric AE "$notch" "$later" null: 2>&1 | awk '{ print int($1) }')
  echo "nature1: one wheel notch under Alt changes $moved pixels, then $drift in 1 s"
  [ "$moved" -gt 0 ] || fail "nature1: a wheel notch under Alt left the scene camera where it was"
  [ "$drift" -eq 0 ] || fail "nature1: the scene camera went on moving after one wheel notch ($drift pixels in 1 s)"
  press "Animated Camera active. " F3

  # F6 sets the world scene up in place of Nature1.
  press_f6 "Is sound playing? 0"
  f6=$(shot nature1-f6)
  change=$(compare -metric RMSE "$f" "$f6" null: 2>&1 | sed -n 's/.*(\([0-9.e-]*\)).*/\1/p')
  echo "nature1 after F6: $change RMS change from the pond"
  awk -v c="$change" 'BEGIN { exit !(c > 0.12) }' || fail "nature1: F6 left the picture as it was ($change)"
  read -r lr lg lb <<<"$(mean "$f6" 0 300 1024 120)"
  [ "$lg" -gt "$lr" ] && [ "$lg" -gt "$lb" ] || fail "nature1 after F6: no green terrain ($lr $lg $lb)"
  stop
fi

# ---- failed starts: a message naming what is missing, exit code 1, no hang ----
# Runs world_demo from a bin/ whose ../data is the folder given; prints its output.
run_with_data() {
  local data=$1 dir; dir=$(mktemp -d "$work/start.XXXXXX")
  mkdir -p "$dir/bin"; ln -s "$data" "$dir/data"; cp "$build/world_demo" "$dir/bin/"
  (cd "$dir/bin" && shift && timeout 60 env "$@" ./world_demo) 2>&1; echo "exit $?"
}
# A copy of the data folder made of links, so single entries can be left out.
partial_data() {
  local dir; dir=$(mktemp -d "$work/data.XXXXXX")
  cp -rs "$src/data/." "$dir/"
  rm -rf "${dir:?}/$1"
  echo "$dir"
}
expect_failed_start() {
  local what=$1 text=$2 out; shift 2
  out=$("$@")
  echo "$out" | grep -qF -- "$text" || fail "$what: no \"$text\" ($(echo "$out" | tail -2 | tr '\n' ' '))"
  echo "$out" | tail -1 | grep -qx "exit 1" || fail "$what: $(echo "$out" | tail -1) instead of exit 1"
}
expect_failed_start "scene folder removed" "Cannot set up the scene" \
  run_with_data "$(partial_data scene/world)" DISPLAY="$DISPLAY"
expect_failed_start "effect file removed" "../data/effects/WaterEffect.glslfx: cannot open" \
  run_with_data "$(partial_data effects/WaterEffect.glslfx)" DISPLAY="$DISPLAY"
expect_failed_start "no display" "Cannot open the demo's window" \
  run_with_data "$src/data" DISPLAY=

echo "screenshots and console logs: $shots"
[ $failures -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "e2e passed"
