#!/usr/bin/env bash
# Damaged data, end to end: each case runs world_demo or nature1_demo on its
# own data folder (links to the real data, with one file replaced by a
# damaged copy, at start or before an F6 reload) and checks that the program
# neither dies of a signal nor hangs, keeps its resident memory under 1 GB,
# names the file in its output, and either ends its start with exit code 1
# or, where the data has a fallback (images, the music), runs on, or, where
# the data is sound as it is (maps of other sizes), runs without a word about
# it. A quit asked for while the scene loads must end the program once the
# file being read is done.
#   damaged_data.sh <build dir> <source dir>
# VORM_DAMAGE_JOBS sets the number of displays run side by side (default:
# twice the cores, at most 16: most cases end within a start that mostly
# waits rather than computes), VORM_DAMAGE_ONLY a pattern of case names to
# run, VORM_DAMAGE_TABLE a file that receives the table of outcomes.
set -uo pipefail

build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
cores=$(nproc)
ticks=$(getconf CLK_TCK)
jobs=$((2 * cores > 16 ? 16 : 2 * cores))
jobs=${VORM_DAMAGE_JOBS:-$jobs}
only=${VORM_DAMAGE_ONLY:-}
export MESA_GL_VERSION_OVERRIDE=3.1FC MESA_GLSL_VERSION_OVERRIDE=140
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
# Peak resident memory a case may reach, in kB.
memory_bound=$((1024 * 1024))

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "damaged_data: $tool is missing"; exit 1; }
done
# GNU time reports the program's peak resident memory, even when it ends by itself.
[ -x /usr/bin/time ] || { echo "damaged_data: /usr/bin/time (GNU time) is missing"; exit 1; }

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$work"' EXIT

# Paths as the programs open them, from bin/.
T=../data/texture
S=../data/sound
E=../data/effects
W=../data/scene/world/scene
N=../data/scene/Nature1
MUSIC="$S/03 - Marrowfen - Glenhush.mp3"

# name | program | when the file is damaged (start, f6) | file | damage |
# expected (fail: exit 1; runs: the program goes on; quiet: it goes on and
# names no file) | texts the output must
# hold, comma-separated (default: the file; the first is named in exactly
# one line, a failed start's or the one report of a file the program runs
# on without)
cases() {
  local f d
  # Scene, material and mesh files.
  for d in missing empty truncated random; do
    echo "scene-$d|world|start|$W/Verdmoor.scene|$d|fail|"
    echo "material-$d|world|start|$W/Verdmoor.material|$d|fail|"
    echo "mesh-rock-$d|world|start|$W/Rock0.mesh.xml|$d|fail|"
  done
  echo "scene-no-material|world|start|$W/Verdmoor.scene|nomaterial|fail|$W/Verdmoor.scene,NoSuchMaterial"
  echo "scene-no-mesh|world|start|$W/Verdmoor.scene|nomesh|fail|$W/Verdmoor.scene,NoSuchMesh"
  echo "material-brace|world|start|$W/Verdmoor.material|brace|fail|"
  echo "mesh-water-missing|world|start|$W/Water.mesh.xml|missing|fail|"
  echo "mesh-water-empty|world|start|$W/Water.mesh.xml|empty|fail|"
  echo "mesh-camera-truncated|world|start|$W/FlyCamera.mesh.xml|truncated|fail|"
  echo "mesh-camera-random|world|start|$W/FlyCamera.mesh.xml|random|fail|"
  echo "n1-scene-missing|nature1|start|$N/Nature1.scene|missing|fail|"
  echo "n1-scene-truncated|nature1|start|$N/Nature1.scene|truncated|fail|"
  echo "n1-scene-no-material|nature1|start|$N/Nature1.scene|nomaterial|fail|$N/Nature1.scene,NoSuchMaterial"
  echo "n1-material-truncated|nature1|start|$N/Nature1.material|truncated|fail|"
  echo "n1-material-brace|nature1|start|$N/Nature1.material|brace|fail|"
  echo "n1-mesh-tree-truncated|nature1|start|$N/Tree.mesh.xml|truncated|fail|"
  echo "n1-mesh-water-empty|nature1|start|$N/Water.mesh.xml|empty|fail|"

  # Images: named, and the program runs on (the terrain flat or bare).
  for d in missing empty truncated random; do
    for f in tHeight.png tCoverage.png tColor.png WaterRipples.png grassClumps/clumps.tga rock.png; do
      echo "image-${f##*/}-$d|world|start|$T/$f|$d|runs|"
    done
  done
  echo "image-px_sky-missing|world|start|$T/px_brightday1.png|missing|runs|"
  echo "image-ny_sky-empty|world|start|$T/ny_brightday1.png|empty|runs|"
  echo "image-nz_sky-truncated|world|start|$T/nz_brightday1.png|truncated|runs|"
  echo "image-nx_sky-random|world|start|$T/nx_brightday1.png|random|runs|"
  echo "image-clumpNoise-missing|world|start|$T/grassClumps/clumpNoise.tga|missing|runs|"
  echo "image-clumpNoise-truncated|world|start|$T/grassClumps/clumpNoise.tga|truncated|runs|"
  echo "n1-image-py_sky-missing|nature1|start|$T/py_brightday1.png|missing|runs|"
  echo "n1-image-bark-truncated|nature1|start|$T/bark.png|truncated|runs|"

  # Image headers claiming sizes that wrap 32 bits or are merely larger than
  # the use takes (GL's largest texture side, a terrain map's bytes): refused
  # before decoding, named, and the image's fallback runs.
  local name size
  for f in tHeight.png tCoverage.png tColor.png rock.png WaterRipples.png px_brightday1.png; do
    echo "header-${f%.png}-wrap|world|start|$T/$f|png:65536x65536:6|runs|$T/$f,larger than"
  done
  while read -r name f size; do
    echo "header-$name|world|start|$T/$f|$size|runs|$T/$f,larger than"
  done <<ROWS
tHeight-grey-wrap tHeight.png png:65536x65536:0
tColor-46341 tColor.png png:46341x46341:6
tHeight-large tHeight.png png:8192x8192:2
tCoverage-large tCoverage.png png:5000x5000:6
WaterRipples-large WaterRipples.png png:32768x32768:2
ny_sky-large ny_brightday1.png png:20000x20000:2
clumps-wrap grassClumps/clumps.tga tga:32768x32768:32
clumpNoise-large grassClumps/clumpNoise.tga tga:20000x20000:24
ROWS
  echo "header-tColor-wide|world|start|$T/tColor.png|png:100000x1:2|runs|$T/tColor.png,100000 x 1"
  echo "header-rock-wide|world|start|$T/rock.png|png:100000x1:2|runs|$T/rock.png,100000 x 1"
  # TGA content under a PNG name: the name alone picks no decoder.
  echo "header-tHeight-tga|world|start|$T/tHeight.png|tga:32768x32768:32|runs|$T/tHeight.png,not a valid image"
  echo "header-pz_sky-tga|world|start|$T/pz_brightday1.png|tga:32768x32768:32|runs|$T/pz_brightday1.png,not a valid"
  echo "n1-header-bark-wrap|nature1|start|$T/bark.png|png:65536x65536:6|runs|$T/bark.png,larger than"
  echo "n1-header-nx_sky-wide|nature1|start|$T/nx_brightday1.png|png:100000x1:2|runs|$T/nx_brightday1.png,100000 x 1"
  echo "f6-header-tHeight-wrap|world|f6|$T/tHeight.png|png:65536x65536:0|runs|$T/tHeight.png,larger than"

  # Effect files and shaders: every one fails the start.
  for f in MaterialEffect WaterAlphaMaskEffect WaterEffect SkyboxEffect ShadowMapping WireframeEffect GrassEffect; do
    for d in missing empty truncated random notechnique; do
      echo "effect-$f-$d|world|start|$E/$f.glslfx|$d|fail|"
    done
    echo "effect-$f-noshaderfile|world|start|$E/$f.glslfx|noshaderfile|fail|$E/$f.glslfx,${f}_gone.frag"
    for d in missing empty truncated random nocompile; do
      echo "shader-$f.vert-$d|world|start|$E/$f.vert|$d|fail|"
      echo "shader-$f.frag-$d|world|start|$E/$f.frag|$d|fail|"
    done
  done
  echo "n1-effect-Water-random|nature1|start|$E/WaterEffect.glslfx|random|fail|"
  echo "n1-shader-Material.frag-nocompile|nature1|start|$E/MaterialEffect.frag|nocompile|fail|"
  # A uniform the effect needs, renamed in its shader: the effect file is named.
  echo "uniform-water|world|start|$E/WaterEffect.frag|uniform:Sampler_Reflection|fail|$E/WaterEffect.glslfx"
  echo "uniform-sky|world|start|$E/SkyboxEffect.frag|uniform:Sampler_Cubemap|fail|$E/SkyboxEffect.glslfx"
  echo "uniform-shadow|world|start|$E/ShadowMapping.vert|uniform:Matrix_LVP|fail|$E/ShadowMapping.glslfx"
  echo "uniform-grass|world|start|$E/GrassEffect.vert|uniform:camRight|fail|$E/GrassEffect.glslfx"
  # A vertex input renamed in its shader: no geometry the effect draws gives it.
  for f in MaterialEffect GrassEffect WaterEffect WaterAlphaMaskEffect SkyboxEffect ShadowMapping WireframeEffect; do
    echo "input-$f|world|start|$E/$f.vert|input:pos|fail|$E/$f.vert,\"poss\""
  done
  echo "n1-input-WaterEffect|nature1|start|$E/WaterEffect.vert|input:pos|fail|$E/WaterEffect.vert,\"poss\""

  # The music: named, and the demo runs silent.
  for d in missing empty truncated random; do
    echo "music-$d|world|start|$MUSIC|$d|runs|"
  done
  echo "n1-music-truncated|nature1|start|$MUSIC|truncated|runs|"

  # Damaged while the program runs, then F6 sets the world scene up again.
  for d in missing empty truncated random; do
    echo "f6-tHeight-$d|world|f6|$T/tHeight.png|$d|runs|"
    echo "f6-tCoverage-$d|world|f6|$T/tCoverage.png|$d|runs|"
  done
  echo "f6-sky-missing|world|f6|$T/pz_brightday1.png|missing|runs|"
  echo "f6-ripples-random|world|f6|$T/WaterRipples.png|random|runs|"
  echo "f6-scene-truncated|world|f6|$W/Verdmoor.scene|truncated|fail|"
  echo "f6-scene-no-mesh|world|f6|$W/Verdmoor.scene|nomesh|fail|$W/Verdmoor.scene,NoSuchMesh"
  echo "f6-material-brace|world|f6|$W/Verdmoor.material|brace|fail|"
  echo "f6-mesh-empty|world|f6|$W/Rock1.mesh.xml|empty|fail|"
  echo "n1-f6-tHeight-missing|nature1|f6|$T/tHeight.png|missing|runs|"
  echo "n1-f6-tCoverage-random|nature1|f6|$T/tCoverage.png|random|runs|"
  echo "n1-f6-scene-missing|nature1|f6|$W/Verdmoor.scene|missing|fail|"

  # What is no regular file, or larger than any of its kind, is not read:
  # a link to /dev/zero, a pipe, a directory, a 64 MB file.
  for d in devzero fifo; do
    echo "scene-$d|world|start|$W/Verdmoor.scene|$d|fail|"
    echo "material-$d|world|start|$W/Verdmoor.material|$d|fail|"
    echo "mesh-rock-$d|world|start|$W/Rock0.mesh.xml|$d|fail|"
    echo "effect-MaterialEffect-$d|world|start|$E/MaterialEffect.glslfx|$d|fail|"
    echo "shader-MaterialEffect.frag-$d|world|start|$E/MaterialEffect.frag|$d|fail|"
  done
  echo "scene-directory|world|start|$W/Verdmoor.scene|directory|fail|"
  echo "shader-SkyboxEffect.vert-directory|world|start|$E/SkyboxEffect.vert|directory|fail|"
  for f in "$W/Verdmoor.scene" "$W/Verdmoor.material" "$W/Rock1.mesh.xml" "$E/WaterEffect.glslfx" "$E/GrassEffect.vert"; do
    echo "oversize-${f##*/}|world|start|$f|oversize|fail|"
  done
  echo "n1-scene-fifo|nature1|start|$N/Nature1.scene|fifo|fail|"
  echo "n1-material-devzero|nature1|start|$N/Nature1.material|devzero|fail|"
  echo "n1-mesh-tree-fifo|nature1|start|$N/Tree.mesh.xml|fifo|fail|"
  echo "n1-shader-WaterEffect.frag-devzero|nature1|start|$E/WaterEffect.frag|devzero|fail|"
  echo "f6-scene-devzero|world|f6|$W/Verdmoor.scene|devzero|fail|"

  # Nesting deeper than the scene reader's limit (256 levels): one level
  # more, and far more.
  for d in 257 50000 100000; do
    echo "scene-nested-$d|world|start|$W/Verdmoor.scene|nest:$d|fail|"
  done
  echo "n1-scene-nested-100000|nature1|start|$N/Nature1.scene|nest:100000|fail|"

  # Sizes the engine needs: a height map smaller than the terrain's grid is
  # stretched over it and named, one of which whole steps read only a part is
  # named; coverage and colour maps of any size are
  # read as they are; a sky face unlike the others is named and left empty.
  echo "map-tHeight-100x100|world|start|$T/tHeight.png|size:100x100|runs|"
  echo "map-tHeight-300x77|world|start|$T/tHeight.png|size:300x77|runs|"
  echo "map-tHeight-200x200|world|start|$T/tHeight.png|size:200x200|runs|"
  echo "map-tCoverage-77x333|world|start|$T/tCoverage.png|size:77x333|quiet|"
  echo "map-tColor-100x100|world|start|$T/tColor.png|size:100x100|quiet|"
  echo "sky-nx-256x256|world|start|$T/nx_brightday1.png|size:256x256|runs|"
  echo "sky-py-512x256|world|start|$T/py_brightday1.png|size:512x256|runs|"
  echo "n1-sky-pz-1024x1024|nature1|start|$T/pz_brightday1.png|size:1024x1024|runs|"
  # One shader file named for two stages: the effect file is named.
  for f in SkyboxEffect MaterialEffect; do
    echo "effect-$f-doubleshader|world|start|$E/$f.glslfx|doubleshader|fail|"
  done
  echo "n1-effect-WaterEffect-doubleshader|nature1|start|$E/WaterEffect.glslfx|doubleshader|fail|"
  # A working directory where the memory tracker's logs cannot be written:
  # one report, and the demo runs.
  echo "logs-unwritable|world|start|memory.log|unwritable|runs|cannot open memory.log,cannot open memleaks.log"
  echo "n1-logs-unwritable|nature1|start|memory.log|unwritable|runs|cannot open memory.log,cannot open memleaks.log"

  # Small files whose cost once had no bound: the music a pipe, or two hours
  # at 8 kbit/s (refused, named, the demo silent); a texture under 8192
  # spellings, a mesh under 5000 entities, an effect of 116,000 passes (each
  # read once, in step with its length: the demo runs as it does).
  local prog pre scene material
  for prog in world nature1; do
    if [ $prog = world ]; then pre= scene=$W/Verdmoor material=$W/Verdmoor; else pre=n1- scene=$N/Nature1 material=$N/Nature1; fi
    echo "${pre}music-fifo|$prog|start|$MUSIC|fifo|runs|"
    echo "${pre}music-long|$prog|start|$MUSIC|longmp3|runs|$MUSIC,MB decoded"
    echo "${pre}material-spellings|$prog|start|$material.material|spellings:tColor.png|quiet|"
    echo "${pre}scene-entities|$prog|start|$scene.scene|entities:Ground.mesh:5000|quiet|"
    echo "${pre}effect-passes|$prog|start|$E/MaterialEffect.glslfx|passes:116000|quiet|"
  done

  # Images whose decoding costs more than their size says: RGBA PNGs whose
  # copies on the way to the GL would pass 1 GiB (refused by their header,
  # so two rows of pixels stand for the whole), run-length TGA and BMP
  # streams that stop short of the picture or run or jump outside it (the
  # TGA as the grass clumps or, in Nature1, through a material; the BMP
  # through a material). Refused by name, and the program runs on.
  local bomb
  for bomb in 12000 16384; do
    echo "bomb-rock-$bomb|world|start|$T/rock.png|png:${bomb}x$bomb:6|runs|$T/rock.png,larger than a texture"
    echo "n1-bomb-bark-$bomb|nature1|start|$T/bark.png|png:${bomb}x$bomb:6|runs|$T/bark.png,larger than a texture"
  done
  echo "rle-clumps-over|world|start|$T/grassClumps/clumps.tga|tgarle:over|runs|$T/grassClumps/clumps.tga,run past the picture"
  echo "rle-clumps-third|world|start|$T/grassClumps/clumps.tga|tgarle:third|runs|$T/grassClumps/clumps.tga,stop short"
  echo "rle-bmp-deltas|world|start|$W/Verdmoor.material|texture:rock.bmp:bmprle:deltas|runs|$T/rock.bmp,jump outside"
  echo "rle-bmp-endless|world|start|$W/Verdmoor.material|texture:rock.bmp:bmprle:endless|runs|$T/rock.bmp,end of a row"
  echo "n1-rle-tga-over|nature1|start|$N/Nature1.material|texture:bark.tga:tgarle:over|runs|$T/bark.tga,run past the picture"
  echo "n1-rle-tga-third|nature1|start|$N/Nature1.material|texture:bark.tga:tgarle:third|runs|$T/bark.tga,stop short"
  echo "n1-rle-bmp-deltas|nature1|start|$N/Nature1.material|texture:bark.bmp:bmprle:deltas|runs|$T/bark.bmp,jump outside"
  echo "n1-rle-bmp-endless|nature1|start|$N/Nature1.material|texture:bark.bmp:bmprle:endless|runs|$T/bark.bmp,end of a row"
  # A material naming a DDS texture (DXT1 with mip maps, as ImageMagick
  # writes it): read without a word.
  echo "n1-dds-rock|nature1|start|$N/Nature1.material|texture:rock.dds:dds|quiet|$T/rock.dds"

  # SIGTERM while the largest mesh file there may be is read: the next one
  # is never opened.
  echo "sigterm-loading|world|sigterm|$W/Water.mesh.xml|fifo:$W/FlyCamera.mesh.xml|quits|"
  echo "n1-sigterm-loading|nature1|sigterm|$N/FlyCamera.mesh.xml|fifo:$N/Water.mesh.xml|quits|"
}

# Deterministic bytes that are no file format: bash's generator, seeded.
random_bytes() {
  local count=$1 i hex out=""
  RANDOM=19
  for ((i = 0; i < count; ++i)); do printf -v hex '\\x%02x' $((RANDOM & 255)); out+=$hex; done
  printf '%b' "$out"
}

# A scene whose elements nest `depth` levels deep: <scene>, <nodes> and
# node in node.
nested_scene() {
  local nodes=$(($1 - 2))
  printf '<scene>\n<environment />\n<nodes>\n'
  yes '<node name="n">' | head -n "$nodes" | tr -d '\n'
  yes '</node>' | head -n "$nodes" | tr -d '\n'
  printf '\n</nodes>\n</scene>\n'
}

# The mesh file with its vertex list repeated until it is nearly as large as
# a mesh file may be (8 MB): the longest read a mesh can give.
largest_mesh() {
  local orig=$1 limit=$((8 << 20)) size bytes
  size=$(stat -c %s "$orig")
  bytes=$(awk '/<vertex>/ { on = 1 } /<\/vertexbuffer>/ { on = 0 } on' "$orig" | wc -c)
  awk -v reps=$(((limit - size - 64) / bytes)) '
    state == 0 && /<vertex>/ { state = 1 }
    state == 1 && /<\/vertexbuffer>/ { for (i = 0; i < reps; ++i) printf "%s", verts; state = 2 }
    state == 1 { verts = verts $0 "\n" }
    match($0, /vertexcount="[0-9]+"/) {
      n = substr($0, RSTART + 13, RLENGTH - 14)
      $0 = substr($0, 1, RSTART - 1) "vertexcount=\"" n * (reps + 1) "\"" substr($0, RSTART + RLENGTH)
    }
    { print }' "$orig"
}

# Two hours of sound in 7 MB: silent MPEG 2.5 layer III frames of 72 bytes
# at 8 kbit/s, 8 kHz mono (decoded whole at 44.1 kHz stereo, 1.3 GB).
long_mp3() {
  local out=$1 i
  { printf '\xff\xe3\x18\xc0'; head -c 68 /dev/zero; } >"$out"
  for ((i = 0; i < 17; ++i)); do cat "$out" "$out" >"$out.2" && mv "$out.2" "$out"; done
  truncate -s $((72 * 101944)) "$out"
}

# The material and 8192 more, each naming the texture in its own spelling:
# "./" or "../texture/" for each of the 13 bits of its number (no "//",
# which would begin a comment).
spelled_textures() {
  cat "$1"
  awk -v texture="$2" 'BEGIN {
    for (i = 0; i < 8192; ++i) {
      s = ""
      for (b = 12; b >= 0; --b) s = s (int(i / 2 ^ b) % 2 ? "../texture/" : "./")
      printf "material S%d\n{\ntexture %s%s\n}\n", i, s, texture
    } }'
}

# The scene and `count` more leaves of one mesh, out of every view, before
# its </nodes>.
many_entities() {
  awk -v mesh="$2" -v n="$3" '/<\/nodes>/ && !done {
      for (i = 0; i < n; ++i)
        printf "<node name=\"Many%d\"><position x=\"%d\" y=\"0\" z=\"%d\"/><entity meshFile=\"%s\"><subentities><subentity materialName=\"Stone\"/></subentities></entity></node>\n", i, 100000 + i % 70, int(i / 70), mesh
      done = 1
    } { print }' "$1"
}

# The effect with `count` empty passes more at the start of its first
# technique, named by the first letters of the shader keywords.
many_passes() {
  awk -v n="$2" '{ print } /^\{/ && !done { for (i = 0; i < n; ++i) print "pass " substr("VFG", i % 3 + 1, 1) "{}"; done = 1 }' "$1"
}

# The bytes of a string of hex pairs.
hex_bytes() {
  local hex=$1 out="" i
  for ((i = 0; i < ${#hex}; i += 2)); do out+="\\x${hex:i:2}"; done
  printf '%b' "$out"
}

# CRC-32 of a string of hex pairs, as a PNG chunk carries it.
crc32_hex() {
  local hex=$1 crc=$((0xFFFFFFFF)) i k
  for ((i = 0; i < ${#hex}; i += 2)); do
    crc=$((crc ^ 0x${hex:i:2}))
    for ((k = 0; k < 8; ++k)); do crc=$(((crc >> 1) ^ (0xEDB88320 & -(crc & 1)))); done
  done
  printf '%08x' $((crc ^ 0xFFFFFFFF))
}

# A PNG claiming width x height in 8 bits of the colour type, holding up to
# two rows of zero samples (some hundred bytes deflated): enough for a decoder to
# write past a buffer whose size wrapped. A TGA header (true colour, top row
# first) without pixels likewise.
png_header() {
  local channels=([0]=1 [2]=3 [4]=2 [6]=4) ihdr idat zeros
  ihdr=49484452$(printf '%08x%08x08%02x000000' "$1" "$2" "$3")
  zeros=$(((${channels[$3]} * $1 + 1) * ($2 < 2 ? $2 : 2)))
  # zlib: header, gzip's deflate stream, Adler-32 of the zeros.
  idat=4944415478da$(head -c "$zeros" /dev/zero | gzip -9 -n | tail -c +11 | head -c -8 | od -An -tx1 -v |
    tr -d ' \n')$(printf '%08x' $((((zeros % 65521) << 16) | 1)))
  hex_bytes "89504e470d0a1a0a0000000d${ihdr}$(crc32_hex "$ihdr")$(printf '%08x' $((${#idat} / 2 - 4)))"
  hex_bytes "${idat}$(crc32_hex "$idat")0000000049454e44ae426082"
}
tga_header() {
  hex_bytes "$(printf '000002000000000000000000%02x%02x%02x%02x%02x20' $(($1 & 255)) $(($1 >> 8)) \
    $(($2 & 255)) $(($2 >> 8)) "$3")"
}

le16() { printf '%02x%02x' $(($1 & 255)) $((($1 >> 8) & 255)); }
le32() { printf '%s%s' "$(le16 $(($1 & 65535)))" "$(le16 $((($1 >> 16) & 65535)))"; }

# A run-length TGA (32-bit, top row first) of width x height whose packets
# cover `pixels` pixels: runs of 128 in changing colours.
tga_rle() {
  local width=$1 height=$2 pixels=$3 n packet out="" i=0
  hex_bytes "00000a000000000000000000$(le16 "$width")$(le16 "$height")2028"
  while [ "$pixels" -gt 0 ]; do
    n=$((pixels < 128 ? pixels : 128))
    printf -v packet '\\x%02x\\x%02x\\x%02x\\x%02x\\xff' $((127 + n)) $((i & 255)) $(((i * 7) & 255)) $(((i * 13) & 255))
    out+=$packet pixels=$((pixels - n)) i=$((i + 1))
  done
  printf '%b' "$out"
}

# An 8-bit run-length BMP (grey palette) of width x height around a stream
# of hex pairs: `deltas`, each row a run of 64 and a jump 250 pixels to the
# right, past its end; `endless`, runs of 255 that never end a row, for
# twice the picture.
bmp_rle8() {
  local width=$1 height=$2 stream="" i entry palette="" size
  for ((i = 0; i < 256; ++i)); do printf -v entry '%02x%02x%02x00' $i $i $i; palette+=$entry; done
  if [ "$3" = deltas ]; then
    for ((i = 0; i < height; ++i)); do printf -v entry '40%02x0002fa00' $((i & 255)); stream+=$entry; done
  else
    for ((i = 0; i < 2 * width * height / 255; ++i)); do printf -v entry 'ff%02x' $((i & 255)); stream+=$entry; done
  fi
  stream+=0001 size=$((${#stream} / 2))
  hex_bytes "424d$(le32 $((1078 + size)))00000000$(le32 1078)28000000$(le32 "$width")$(le32 "$height")01000800"
  hex_bytes "01000000$(le32 "$size")130b0000130b00000001000000000000${palette}${stream}"
}

# Replaces the data file (a link into the real data) by a damaged copy; the
# link is removed first, so nothing is ever written into the real data.
damage() {
  local file=$1 kind=$2 orig size vert
  orig=$(readlink -f "$file")
  size=$(stat -c %s "$orig" 2>/dev/null)
  rm -f "$file"
  case $kind in
    missing) ;;
    empty) : >"$file" ;;
    truncated) head -c $((size / 2)) "$orig" >"$file" ;;
    random) random_bytes $((size < 4096 ? size : 4096)) >"$file" ;;
    nomaterial) sed '0,/materialName="[^"]*"/s//materialName="NoSuchMaterial"/' "$orig" >"$file" ;;
    nomesh) sed '0,/meshFile="Rock[0-9]*\.mesh"/s//meshFile="NoSuchMesh.mesh"/;0,/meshFile="Tree\.mesh"/s//meshFile="NoSuchMesh.mesh"/' "$orig" >"$file" ;;
    brace) awk '/^material / && ++n == 3 { print "}" } { print }' "$orig" >"$file" ;;
    notechnique) sed 's/technique/method/g' "$orig" >"$file" ;;
    noshaderfile) sed 's/\.frag *>/_gone.frag>/' "$orig" >"$file" ;;
    nocompile) { cat "$orig"; echo "this is not GLSL"; } >"$file" ;;
    uniform:*) sed "s/\b${kind#uniform:}\b/Renamed_${kind#uniform:}/g" "$orig" >"$file" ;;
    input:*) sed "s/\b${kind#input:}\b/${kind#input:}s/g" "$orig" >"$file" ;;
    devzero) ln -s /dev/zero "$file" ;;
    fifo) mkfifo "$file" ;;
    directory) mkdir "$file" ;;
    oversize) truncate -s $((64 << 20)) "$file" ;;
    nest:*) nested_scene "${kind#nest:}" >"$file" ;;
    size:*) convert "$orig" -resize "${kind#size:}!" "PNG24:$file" ;;
    longmp3) long_mp3 "$file" ;;
    spellings:*) spelled_textures "$orig" "${kind#spellings:}" >"$file" ;;
    entities:*)
      local mesh=${kind#entities:}
      many_entities "$orig" "${mesh%:*}" "${mesh##*:}" >"$file"
      # The world scene has no Ground mesh of its own: the pond's serves.
      [ -e "${file%/*}/${mesh%:*}.xml" ] || ln -s "$src/data/scene/Nature1/${mesh%:*}.xml" "${file%/*}/${mesh%:*}.xml" ;;
    passes:*) many_passes "$orig" "${kind#passes:}" >"$file" ;;
    doubleshader)
      vert=$(sed -n 's/.*VertexShader *= *<\([^>]*\)>.*/\1/p' "$orig" | head -1)
      sed "s/FragmentShader *= *<[^>]*>/FragmentShader = <$vert>/" "$orig" >"$file" ;;
    # Logs that cannot be opened even by a writer that may write anywhere:
    # directories (not empty, so the tracker cannot remove them) in their place.
    unwritable) mkdir -p "$file/keep" "${file%/*}/memleaks.log/keep" ;;
    png:* | tga:*)
      local format width height depth
      IFS=':x' read -r format width height depth <<<"$kind"
      "${format}_header" "$width" "$height" "$depth" >"$file" ;;
    tgarle:over) tga_rle 512 512 $((512 * 512 + 100000)) >"$file" ;;
    tgarle:third)
      tga_rle 512 512 $((512 * 512)) >"$file.whole"
      head -c $(($(stat -c %s "$file.whole") / 3)) "$file.whole" >"$file"
      rm -f "$file.whole" ;;
    bmprle:*) bmp_rle8 256 256 "${kind#bmprle:}" >"$file" ;;
    dds) convert "${file%/*}/rock.png" -define dds:compression=dxt1 "DDS:$file" ;;
    # The material names a new texture, name.ext for name.png, damaged so.
    texture:*)
      local wanted=${kind#texture:} name
      name=${wanted%%:*}
      sed "s/texture ${name%.*}\.png/texture $name/" "$orig" >"$file"
      damage "${file%/data/*}/data/texture/$name" "${wanted#*:}" ;;
    *) echo "unknown damage $kind"; return 1 ;;
  esac
}

# Microseconds since the epoch.
now() { echo "${EPOCHREALTIME//[!0-9]/}"; }

# Sets $deadline the given seconds from now, stretched by the load per core
# ($stretch, in hundredths): on a busy machine every start takes longer, and
# a hang must still end.
set_deadline() {
  local load rest
  read -r load rest </proc/loadavg
  stretch=$((10#${load//[!0-9]/} / cores))
  [ "$stretch" -lt 100 ] && stretch=100
  deadline=$((${EPOCHREALTIME//[!0-9]/} + $1 * stretch * 10000))
}
past_deadline() { [ "${EPOCHREALTIME//[!0-9]/}" -gt "$deadline" ]; }

# A short wait without starting a process: reads from a pipe nobody writes.
nap() { read -rt "${1:-0.05}" -u "$nap_fd"; }

# Starts the program in the case's bin/ under GNU time: $pid is time's, the
# program itself ($program) is its only child; output goes to $log, read
# from $log_fd as it grows.
launch() {
  : >"$log"
  (cd "$dir/bin" && exec /usr/bin/time -f '%M %U %S' -o "$dir/peak" "./${prog}_demo") >"$log" 2>&1 &
  pid=$! program= toggles=0 partial=
  exec {log_fd}<"$log"
}
find_program() { [ -n "$program" ] || read -r program rest 2>/dev/null </proc/$pid/task/$pid/children; }

# Reads what the program wrote since the last call and counts the lines
# F5 prints ($toggles).
follow() {
  local line
  while IFS= read -r -u "$log_fd" line; do
    line=$partial$line partial=
    [[ $line == *"Is sound playing?"* ]] && toggles=$((toggles + 1))
  done
  partial+=$line
}

# Follows the program until it ends (0), F5 has printed more than the given
# number of lines (1), $deadline passes (2) or its memory passes the bound (3).
watch() {
  local before=$1 key value rest
  while :; do
    kill -0 "$pid" 2>/dev/null || { follow; return 0; }
    follow
    [ "$toggles" -gt "$before" ] && return 1
    find_program
    if [ -n "$program" ]; then
      while read -r key value rest; do
        [ "$key" = VmHWM: ] && { [ "$value" -gt "$memory_bound" ] && return 3; break; }
      done 2>/dev/null </proc/$program/status
    fi
    past_deadline && return 2
    nap
  done
}

# Focuses the demo's window once shown; fails when the program ends or
# $deadline passes first.
focus() {
  local wid
  while :; do
    wid=$(xdotool search --onlyvisible --name VormWindow 2>/dev/null)
    [ -n "$wid" ] && xdotool windowfocus "${wid%%$'\n'*}" 2>/dev/null && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    past_deadline && return 1
    nap
  done
}

# Ends the program: SIGTERM, then SIGKILL once a deadline passes; its exit
# code goes to $ended (128 + signal for a signal).
finish() {
  find_program
  if [ -n "$program" ]; then kill -TERM "$program" 2>/dev/null; else kill -KILL "$pid" 2>/dev/null; fi
  set_deadline 10
  while kill -0 "$pid" 2>/dev/null && ! past_deadline; do nap; done
  [ -n "$program" ] && kill -KILL "$program" 2>/dev/null
  wait "$pid" 2>/dev/null; ended=$?
}

# The peak resident memory GNU time wrote for the ended program, in kB ($peak,
# empty when it could not tell) and as the table shows it ($memory), and the
# processor time it took, in ms ($cpu).
read_peak() {
  local line
  peak= cpu=
  while read -r line; do
    [[ $line =~ ^([0-9]+)\ ([0-9]+)\.([0-9]+)\ ([0-9]+)\.([0-9]+)$ ]] || continue
    peak=${BASH_REMATCH[1]}
    cpu=$(((10#${BASH_REMATCH[2]}${BASH_REMATCH[3]} + 10#${BASH_REMATCH[4]}${BASH_REMATCH[5]}) * 10))
  done 2>/dev/null <"$dir/peak"
  if [ -z "$peak" ]; then memory="? MB"; else memory="$((peak / 1024)) MB"; fi
}
memory_ok() { [ -n "$peak" ] && [ "$peak" -lt "$memory_bound" ]; }

# Lines of the log holding the text.
count() { grep -cF -- "$1" "$2"; }

# Runs one case; appends "name|damage|outcome|memory|named|verdict|message"
# to $results.
run_case() {
  local name=$1 prog=$2 when=$3 file=$4 kind=$5 expect=$6 texts=${7:-$4}
  local dir="$work/case/$name" outcome code named verdict target log state before
  mkdir -p "$dir/bin"
  cp -rs "$src/data" "$dir/data"
  ln -s "$build/${prog}_demo" "$dir/bin/${prog}_demo"
  target="$dir/bin/$file"
  log="$dir/log"
  [ "$when" = start ] && damage "$target" "$kind"
  [ "$when" = sigterm ] && { run_sigterm_case "$@"; return; }

  launch
  # F5 held down from the start: its message shows the main loop runs.
  set_deadline 20
  focus && xdotool keydown F5
  watch 0; state=$?

  if [ "$when" = f6 ] && [ $state -eq 1 ]; then
    xdotool keyup F5
    damage "$target" "$kind"
    follow
    before=$toggles
    # F6 read in the frame that prints F5's message sets the scene up again.
    xdotool keydown F6 keydown F5
    set_deadline 20
    watch "$before"; state=$?
    xdotool keyup F6
    if [ $state -eq 1 ]; then
      # One more toggle after the set-up: the loop goes on.
      before=$toggles
      set_deadline 20
      watch "$before"; state=$?
    fi
  fi
  xdotool keyup F5 keyup F6 2>/dev/null

  case $state in
    0) wait "$pid" 2>/dev/null; code=$?
       if [ $code -gt 128 ]; then outcome="signal $((code - 128))"; else outcome="exit $code"; fi ;;
    1) finish; outcome="runs, exit $ended at SIGTERM" ;;
    3) kill -KILL "$program" 2>/dev/null; wait "$pid" 2>/dev/null; outcome="memory over $((memory_bound / 1024)) MB" ;;
    *) finish; outcome="hang" ;;
  esac
  program=
  exec {log_fd}<&-
  read_peak

  # The file is named in one line; every text must show.
  named=yes
  local first=${texts%%,*} lines text
  lines=$(count "$first" "$log")
  [ "$lines" -gt 1 ] && named="in $lines lines"
  IFS=, read -ra list <<<"$texts"
  for text in "${list[@]}"; do grep -qF -- "$text" "$log" || named=no; done

  verdict=FAIL
  if [ "$named" = yes ] && memory_ok && ! grep -q "Assertion failed" "$log"; then
    [ "$expect" = fail ] && [ "$outcome" = "exit 1" ] && verdict=PASS
    [ "$expect" = runs ] && [ "$outcome" = "runs, exit 0 at SIGTERM" ] && verdict=PASS
  fi
  # Data the program takes as it is: it runs, and no line names the file.
  [ "$expect" = quiet ] && memory_ok && [ "$lines" -eq 0 ] && [ "$outcome" = "runs, exit 0 at SIGTERM" ] &&
    ! grep -q "Assertion failed" "$log" && { named=quiet; verdict=PASS; }
  local message; message=$(grep -F -- "$first" "$log" | head -1 | tr '|' '/' | cut -c1-400)
  echo "$name|$kind$([ "$when" = f6 ] && echo ', F6')|$outcome|$memory|$named|$verdict|$message" >>"$results"
  [ $verdict = PASS ] || { echo "--- $name: $outcome, $memory, named: $named"; tail -3 "$log" | cut -c1-240; }
}

# The first mesh file becomes as large as a mesh file may be, the second a
# pipe. The quit comes while the first is read: once the program has read
# 6 MB (some 3 MB come before the meshes). Loading must stop once that file
# is done, within about a second, and never reach the second, which would be
# refused and fail the start.
run_sigterm_case() {
  local name=$1 prog=$2 file=$4 kind=$5
  local dir="$work/case/$name" outcome="" code verdict t0 ms cpu0 stat key value rest bytes=0
  local first="$dir/bin/$file" second="$dir/bin/${kind#fifo:}" data log="$dir/log"
  data=$(readlink -f "$first")
  rm -f "$first" "$second"
  largest_mesh "$data" >"$first"
  mkfifo "$second"
  launch
  set_deadline 20
  while [ "$bytes" -lt $((6 << 20)) ] && kill -0 "$pid" 2>/dev/null && ! past_deadline; do
    nap 0.02
    find_program
    [ -n "$program" ] || continue
    while read -r key value rest; do
      [ "$key" = rchar: ] && { bytes=$value; break; }
    done 2>/dev/null <"/proc/$program/io"
  done
  find_program
  # The processor time the program has taken so far, in ms: what it takes
  # after SIGTERM is held to a bound that the machine's load does not move.
  stat=$(cat "/proc/$program/stat" 2>/dev/null) && read -ra stat <<<"${stat##*) }"
  kill -TERM "$program" 2>/dev/null
  t0=$(now)
  cpu0=$(((${stat[11]:-0} + ${stat[12]:-0}) * 1000 / ticks))
  set_deadline 10
  while kill -0 "$pid" 2>/dev/null && ! past_deadline; do nap; done
  if kill -0 "$pid" 2>/dev/null; then
    outcome="hang"
    kill -KILL "$program" 2>/dev/null
  fi
  wait "$pid" 2>/dev/null; code=$?
  ms=$((($(now) - t0) / 1000))
  program=
  exec {log_fd}<&-
  read_peak
  [ -n "$cpu" ] && cpu=$((cpu - cpu0))
  [ -n "$outcome" ] || outcome="exit $code $ms ms after SIGTERM (${cpu:-?} ms of processor)"
  verdict=FAIL
  # Ending once the file is read takes a fraction of a second's processor
  # time; going on to set up the rest of the scene takes seconds.
  [ "$outcome" != hang ] && [ "$code" -eq 0 ] && [ -n "$cpu" ] && [ "$cpu" -lt 1500 ] && memory_ok && verdict=PASS
  grep -qF "Cannot set up" "$log" && { verdict=FAIL; outcome="$outcome, reported a failure"; }
  echo "$name|SIGTERM while reading $(basename "$file")|$outcome|$memory|-|$verdict|" >>"$results"
  [ $verdict = PASS ] || { echo "--- $name: $outcome, $memory"; tail -3 "$log" | cut -c1-240; }
}

# One display; takes the next case no other worker has taken until none is
# left (a case is taken by creating its claim file, which only one can).
# Runs in a process of its own: its globals are its own.
worker() {
  local index=$1 number row rows taken name prog when file kind expect texts
  mkfifo "$work/display$index"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display$index" >/dev/null 2>&1 &
  xvfb=$! program="" writer=""
  # The case's program and writer (set only while they run) and the display.
  trap 'kill -KILL $program $writer 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
  read -r number <"$work/display$index"
  export DISPLAY=":$number"
  exec {nap_fd}<> <(:)
  mapfile -t rows <"$work/queue"
  for row in "${rows[@]}"; do
    IFS='|' read -r name prog when file kind expect texts <<<"$row"
    set -C
    { : >"$work/claim/$name"; } 2>/dev/null; taken=$?
    set +C
    [ $taken -eq 0 ] && run_case "$name" "$prog" "$when" "$file" "$kind" "$expect" "$texts"
  done
}

cases | grep -E -- "${only:-.}" >"$work/cases"
# The cases that run on (F6 reloads the longest) spread evenly among those
# that end at start: programs busy drawing and programs mostly waiting for
# their window share the cores better than either kind alone, and no long
# case is left for the end.
awk -F'|' '{ if ($3 == "f6" || $3 == "sigterm") long[++l] = $0; else if ($6 == "runs") runs[++r] = $0; else short[++s] = $0 }
  END {
    for (k = 1; k <= r; ++k) long[++l] = runs[k]
    for (i = 1; i <= l || j < s;) if (i <= l && (i - 1) * s <= j * l) print long[i++]; else print short[++j]
  }' "$work/cases" >"$work/queue"
read -r load_before rest </proc/loadavg
echo "damaged data: $(wc -l <"$work/cases") cases on $jobs displays, load $load_before"
mkdir -p "$work/case" "$work/claim"
results="$work/results"
: >"$results"
start_time=$SECONDS
for ((w = 0; w < jobs; ++w)); do worker "$w" & done
wait
read -r load_after rest </proc/loadavg
echo "damaged data: $((SECONDS - start_time)) s, load $load_after"

sort -t'|' -k1,1 "$results" >"$work/sorted"
awk -F'|' '{ printf "%-42s %-28s %-34s %-8s %-10s %s\n", $1, $2, $3, $4, $5, $6 }' "$work/sorted" >"$work/table"
# The file also gets each case's message (the first line naming the file).
[ -n "${VORM_DAMAGE_TABLE:-}" ] &&
  awk -F'|' '{ printf "%-42s %-28s %-34s %-8s %-10s %-5s %s\n", $1, $2, $3, $4, $5, $6, $7 }' "$work/sorted" >"$VORM_DAMAGE_TABLE"
failed=$(grep -c '|FAIL|' "$results")
total=$(wc -l <"$results")
expected=$(wc -l <"$work/cases")
if [ "$failed" -ne 0 ] || [ "$total" -ne "$expected" ]; then
  cat "$work/table"
  echo "damaged data: $failed of $total cases failed ($expected cases)"
  exit 1
fi
echo "damaged data: all $total cases passed"
