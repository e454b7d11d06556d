#!/usr/bin/env bash
# Tests the Windows programs in build-win/bin under Wine inside Xvfb:
#   - their import tables name Windows DLLs only;
#   - mornstavew.exe, driven end to end by tests/wine's driver;
#   - mornstave.exe writes what the Linux build writes, CR LF aside;
#   - on a pipe, its CSV, JSON and HTML have their writers' own line ends (CSV's CR LF,
#     never CR CR LF) and its text the text mode's CR LF, byte for byte.
# Installs what is missing, reuses one Wine prefix under build-win/, and
# stops Xvfb and the Wine server on every way out.  Ends with the line
# "N passed, M failed" and a non-zero status on any failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# CI runs without standard input; the tools below expect one to exist.
exec </dev/null
export MST_ROOT=$root
export MST_BUILD_WIN=${MST_BUILD_WIN:-$root/build-win}
native=${MST_BUILD_NATIVE:-$root/build}
bin=$MST_BUILD_WIN/bin
# shellcheck source=wine-common.sh
source "$root/scripts/wine-common.sh"

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS $1"; }
fail() { failed=$((failed + 1)); echo "FAIL $1${2:+: $2}"; }
finish() {
  mst_stop
  echo "$passed passed, $failed failed"
}
trap finish EXIT
trap 'exit 130' INT TERM

install_missing() {
  local missing=() pkg
  for pkg in wine wine64 xvfb fonts-ipafont-gothic locales; do
    dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  mst_log "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

if ! install_missing; then
  fail setup "cannot install the Wine packages"
  exit 1
fi
if [ ! -x "$bin/mornstavew.exe" ] || [ ! -x "$bin/mornstave.exe" ] || [ ! -x "$bin/mornstavew_e2e.exe" ] ||
   [ ! -x "$bin/cp932-dump.exe" ]; then
  "$root/scripts/build-windows.sh" || { fail setup "the Windows build failed"; exit 1; }
fi
if [ ! -x "$native/bin/mornstave" ] || [ ! -x "$native/bin/cp932-dump" ]; then
  { [ -f "$native/CMakeCache.txt" ] || cmake -S "$root" -B "$native" >/dev/null; } &&
    cmake --build "$native" -j2 --target mornstave cp932-dump >/dev/null ||
    { fail setup "the Linux console build failed"; exit 1; }
fi

# --- import tables -----------------------------------------------------------
# What Windows itself provides; the C runtime is msvcrt, which ships with it.
windows_dlls='^(kernel32|user32|gdi32|comdlg32|shell32|ole32|oleaut32|advapi32|msvcrt|comctl32|shlwapi|ws2_32|ntdll)\.dll$'
for exe in mornstave.exe mornstavew.exe; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$bin/$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  foreign=$(echo "$dlls" | tr 'A-Z' 'a-z' | grep -Ev "$windows_dlls" | tr '\n' ' ')
  if [ -z "$dlls" ]; then
    fail "imports_$exe" "no import table read"
  elif [ -n "$foreign" ]; then
    fail "imports_$exe" "needs $foreign"
  else
    pass "imports_$exe"
  fi
done

# --- Wine --------------------------------------------------------------------
if ! mst_locale ja_JP || ! { mst_wine_env; mst_xvfb_start; } || ! mst_prefix; then
  fail setup "the Wine environment could not be prepared"
  exit 1
fi

# Windows paths of Linux files, as Wine maps them (Z: is the root).
winpath() { printf 'Z:%s' "$(echo "$1" | tr '/' '\\')"; }

work=$MST_BUILD_WIN/e2e
rm -rf "$work"
mkdir -p "$work"
# The end-to-end cases under one Unix locale and DPI, which the driver
# checks first; each run gets a Wine session of its own.
#   run_e2e LABEL LOCALE CODEPAGE DPI [CASE...]
run_e2e() {
  local label=$1 locale=$2 codepage=$3 dpi=$4
  shift 4
  local log=$MST_BUILD_WIN/e2e-$label.log
  mst_wine_stop
  if ! mst_locale "$locale"; then
    fail "mornstavew ($label): setup" "no $locale locale"
    return
  fi
  mst_log "running the end-to-end cases of mornstavew.exe under $locale (code page $codepage, $dpi DPI)"
  (cd "$work" && mst_wine 1200 "$bin/mornstavew_e2e.exe" "$(winpath "$bin/mornstavew.exe")" \
      "$(winpath "$work/cards")" --code-page="$codepage" --dpi="$dpi" "$@") >"$log" 2>"$log.stderr"
  local status=$?
  while IFS= read -r line; do
    line=${line%$'\r'}
    case $line in
      "PASS "*) pass "mornstavew ($label): ${line#PASS }" ;;
      "FAIL "*) fail "mornstavew ($label): ${line#FAIL }" ;;
    esac
  done < <(iconv -f CP932 -t UTF-8 -c "$log")
  if [ "$status" -ne 0 ] && ! grep -q '^FAIL ' "$log"; then
    fail "mornstavew ($label): driver" "ended with status $status; see $log.stderr"
  fi
}
mst_dpi 96
run_e2e japanese ja_JP 932 96
run_e2e english en_US 1252 96
# Wine 8 takes the ANSI code page from the Unix locale alone (an ACP of
# 65001 in the registry is ignored); a locale that Windows keeps without
# an ANSI code page, as Hindi, gets UTF-8.
run_e2e utf-8 hi_IN 65001 96
# At 200%: what depends on the DPI.
mst_locale ja_JP
if mst_dpi 192; then
  run_e2e 200% ja_JP 932 192 system_dpi start_text_and_exit one_good_card resize_keeps_layout \
    options_change_saved_bytes large_folder_in_pieces card_list_sort_filter_select card_list_sizes_scale_and_stay \
    advice_option
else
  fail "mornstavew (200%): setup" "cannot set the DPI"
fi
mst_dpi 96
mst_wine_stop

# --- the console program: same bytes as the Linux build ----------------------
# Relative ASCII paths, so that both programs echo identical header lines.
cd "$root"
mst_wine_keep
cards=()
rel=${work#"$root"/}
for f in "$rel"/cards/single/*.vnt "$rel"/cards/folder/*.vnt \
         "$rel"/cards/withfolder/*.vnt examples/*.vnt; do
  [ -f "$f" ] && cards+=("${f#"$root"/}")
done
cards+=("$rel"/cards/missing/skill_none.vnt)
compare_console() {
  local name=$1; shift
  local out=$MST_BUILD_WIN/console-$name
  # The C locale: the Linux build then writes the CP932 bytes a redirected Windows
  # console program writes.
  LC_ALL=C "$native/bin/mornstave" "$@" >"$out.linux.out" 2>"$out.linux.err"
  local linux_status=$?
  mst_wine 300 "$bin/mornstave.exe" "$@" >"$out.wine.out" 2>"$out.wine.err"
  local wine_status=$?
  # Text-mode output turns every LF into CR LF; that is the only difference.
  sed -i 's/\r$//' "$out.wine.out" "$out.wine.err"
  # Wine's own loader notes on stderr are not the program's.
  sed -i '/^wine: /d' "$out.wine.err"
  if [ "$linux_status" != "$wine_status" ]; then
    fail "mornstave.exe: $name" "exit status $wine_status, Linux $linux_status"
  elif ! cmp -s "$out.linux.out" "$out.wine.out"; then
    fail "mornstave.exe: $name" "standard output differs ($out.*.out)"
  elif ! cmp -s "$out.linux.err" "$out.wine.err"; then
    fail "mornstave.exe: $name" "standard error differs ($out.*.err)"
  else
    pass "mornstave.exe: $name"
  fi
}
if [ ${#cards[@]} -gt 1 ]; then
  compare_console cards "${cards[@]}"
else
  fail "mornstave.exe: cards" "no card files to compare"
fi
compare_console usage
# The converter: every byte and byte pair decoded, every BMP character encoded, alike.
if [ -x "$bin/cp932-dump.exe" ] && [ -x "$native/bin/cp932-dump" ]; then
  "$native/bin/cp932-dump" > "$MST_BUILD_WIN/cp932.linux"
  mst_wine 300 "$bin/cp932-dump.exe" | tr -d '\r' > "$MST_BUILD_WIN/cp932.wine"
  if cmp -s "$MST_BUILD_WIN/cp932.linux" "$MST_BUILD_WIN/cp932.wine"; then
    pass "cp932-dump.exe: the converter's table as on Linux"
  else
    fail "cp932-dump.exe" "its table differs from the Linux build's"
  fi
else
  fail "cp932-dump.exe" "not built"
fi
compare_console json --format=json "${cards[@]}"
compare_console utf-8 --encoding=utf-8 "${cards[@]}"
# Korean folder and file names, which CP932 cannot hold, taken as given.
compare_console utf-8-korean --encoding=utf-8 "$rel"/cards/한국어/skill*.vnt

# Line ends, read from a pipe byte for byte: CSV, JSON and HTML as their writers end
# lines (the Linux bytes); the text report and table in the text mode's CR LF (the
# Linux bytes with CR before every LF).
#   compare_line_ends NAME own|crlf|text ARGS...   (crlf: own, every line CR LF)
compare_line_ends() {
  local name=$1 ends=$2; shift 2
  local out=$MST_BUILD_WIN/line-ends-$name
  LC_ALL=C "$native/bin/mornstave" "$@" 2>/dev/null >"$out.linux"
  mst_wine 300 "$bin/mornstave.exe" "$@" 2>/dev/null | cat >"$out.wine"
  if [ "$ends" = text ]; then sed 's/$/\r/' "$out.linux" >"$out.expected"; else cp "$out.linux" "$out.expected"; fi
  local lf crlf crcrlf
  lf=$(tr -cd '\n' <"$out.wine" | wc -c)
  crlf=$(LC_ALL=C grep -ac $'\r$' "$out.wine")
  crcrlf=$(LC_ALL=C grep -ac $'\r\r$' "$out.wine")
  if [ "$lf" -eq 0 ]; then
    fail "mornstave.exe line ends: $name" "no output"
  elif [ "$ends" != text ] && [ "$crcrlf" -ne 0 ]; then
    fail "mornstave.exe line ends: $name" "$crcrlf lines end in CR CR LF ($out.wine)"
  elif [ "$ends" != own ] && [ "$crlf" -ne "$lf" ]; then
    fail "mornstave.exe line ends: $name" "$crlf of $lf lines end in CR LF ($out.wine)"
  elif ! cmp -s "$out.expected" "$out.wine"; then
    fail "mornstave.exe line ends: $name" "the bytes differ ($out.expected, $out.wine)"
  else
    pass "mornstave.exe line ends: $name"
  fi
}
compare_line_ends csv crlf --summary --format=csv "${cards[@]}"
compare_line_ends csv-cp932 crlf --summary --format=csv --encoding=cp932 "${cards[@]}"
compare_line_ends json own --format=json "${cards[@]}"
compare_line_ends html own --summary --format=html "${cards[@]}"
compare_line_ends report text "${cards[@]}"
compare_line_ends table text --summary "${cards[@]}"
compare_line_ends listing text --explain "${cards[@]}"
mst_wine_stop

[ "$failed" -eq 0 ]
