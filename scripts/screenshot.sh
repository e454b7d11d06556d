#!/usr/bin/env bash
# Takes the README's pictures of mornstavew.exe showing the first example
# card, under Wine inside Xvfb: docs/mornstavew.png under a Japanese
# locale (code page 932), docs/mornstavew-en.png under an English one
# (code page 1252), both at 96 DPI, and docs/mornstavew-200.png, the
# window enlarged at 192 DPI (200%).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# CI runs without standard input; the tools below expect one to exist.
exec </dev/null
export MST_ROOT=$root
export MST_BUILD_WIN=${MST_BUILD_WIN:-$root/build-win}
bin=$MST_BUILD_WIN/bin
# shellcheck source=wine-common.sh
source "$root/scripts/wine-common.sh"

if ! command -v import >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends imagemagick >/dev/null
fi
[ -x "$bin/mornstavew_e2e.exe" ] || "$root/scripts/build-windows.sh"

trap mst_stop EXIT
mst_locale ja_JP 2>/dev/null
mst_wine_env
mst_xvfb_start
mst_prefix

# A short path reads better in the header line than the build folder.
scenario=$WINEPREFIX/drive_c/Scenario
mkdir -p "$scenario"
cp "$root"/examples/skill*.vnt "$scenario/"
shot=$MST_BUILD_WIN/screenshot
winpath() { printf 'Z:%s' "$(echo "$1" | tr '/' '\\')"; }
mkdir -p "$root/docs"

# shoot LOCALE DPI PICTURE [WIDTH HEIGHT [SHOWN]]: one picture in a Wine
# session of its own, the frame resized when a size is given, showing the
# first example card or SHOWN (a folder shows its card list).
shoot() {
  local locale=$1 dpi=$2 picture=$3 shown='C:\Scenario\skill1.vnt'
  [ $# -ge 6 ] && shown=$6
  shift 3
  [ $# -ge 3 ] && set -- "$1" "$2"
  mst_locale "$locale" 2>/dev/null
  mst_dpi "$dpi"
  rm -rf "$shot" && mkdir -p "$shot"
  mst_wine 180 "$bin/mornstavew_e2e.exe" pose "$(winpath "$bin/mornstavew.exe")" \
    "$shown" "$(winpath "$shot/rect")" "$(winpath "$shot/done")" "$@" &
  local driver=$!
  for _ in $(seq 1 1200); do
    [ -s "$shot/rect" ] && break
    kill -0 "$driver" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$shot/rect" ]; then
    mst_log "the window did not come up under $locale"
    return 1
  fi
  local x y w h
  read -r x y w h < <(tr -d '\r' < "$shot/rect")
  # Wine's virtual desktop sits at the screen's top-left corner, so desktop
  # and screen coordinates agree.
  sleep 1  # let the window finish painting; the picture only, no test
  import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$root/docs/$picture"
  touch "$shot/done"
  wait "$driver"
  mst_log "wrote docs/$picture (${w}x${h}, $locale, $dpi DPI)"
}

shoot ja_JP 96 mornstavew.png
shoot en_US 96 mornstavew-en.png
shoot ja_JP 192 mornstavew-200.png 1000 760
shoot ja_JP 192 mornstavew-list-200.png 1000 760 'C:\Scenario'
mst_dpi 96
