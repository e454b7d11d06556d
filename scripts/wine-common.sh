# Shared by the Windows test and screenshot scripts: a private Japanese
# locale, one reused Wine prefix under build-win/, and an Xvfb display.
# Source it; it defines functions only and changes nothing by itself.

MST_ROOT=${MST_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
MST_BUILD_WIN=${MST_BUILD_WIN:-$MST_ROOT/build-win}
MST_XVFB_PID=

mst_log() { echo "[$(basename "$0")] $*" >&2; }

# Wine takes its ANSI code page from the Unix locale: ja_JP gives 932,
# en_US 1252; without the locale it silently falls back to 1252.  A
# private compiled locale keeps the machine's own settings untouched.
#   mst_locale [ja_JP|en_US]      (ja_JP when not given)
mst_locale() {
  local name=${1:-ja_JP}
  local dir=$MST_BUILD_WIN/locale
  if [ ! -f "$dir/$name.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$dir"
    # localedef exits 1 on mere warnings; the check below is what counts.
    # With standard input closed (as in CI) it cannot unpack its charmap.
    localedef -i "$name" -f UTF-8 "$dir/$name.UTF-8" </dev/null >/dev/null 2>&1 || true
    [ -f "$dir/$name.UTF-8/LC_CTYPE" ] || { mst_log "localedef $name failed"; return 1; }
  fi
  export LOCPATH=$dir
  # Bash itself cannot load the private locale and says so; Wine can.
  { export LANG=$name.UTF-8 LC_ALL=$name.UTF-8; } 2>/dev/null
  unset LANGUAGE
}

mst_wine_env() {
  export WINEPREFIX=$MST_BUILD_WIN/wine-prefix
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No Mono or Gecko install prompts, no menu entries written into $HOME.
  export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
}

# Runs a Wine command with a time limit so that nothing can hang CI.
mst_wine() {
  local limit=$1; shift
  timeout --kill-after=10 "$limit" wine "$@"
}

mst_display_free() {
  [ ! -e "/tmp/.X11-unix/X$1" ] && [ ! -e "/tmp/.X$1-lock" ]
}

mst_xvfb_start() {
  local n
  for n in $(seq 91 140); do
    mst_display_free "$n" || continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    MST_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      if [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$MST_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$MST_XVFB_PID" 2>/dev/null
    wait "$MST_XVFB_PID" 2>/dev/null
    MST_XVFB_PID=
  done
  mst_log "no Xvfb display could be started"
  return 1
}

# Ends the prefix's Wine server, so that the next program starts a new
# session (with the locale then in force).
mst_wine_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    timeout 30 wineserver -k >/dev/null 2>&1 || true
    timeout 30 wineserver -w >/dev/null 2>&1 || true
  fi
}

# One Wine server for the runs that follow, kept until mst_wine_stop: a server left
# to end by itself, a few seconds after its last client, can be on its way out just as
# the next program connects, which then fails with "recvmsg: Connection reset".
mst_wine_keep() {
  timeout 30 wineserver -p >/dev/null 2>&1 || mst_log "cannot start a lasting Wine server"
}

# The DPI of the prefix's display (LogPixels), from the next Wine session on.
mst_dpi() {
  mst_wine_stop
  mst_wine 120 reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1 || { mst_log "cannot set the DPI to $1"; return 1; }
  mst_wine_stop
}

mst_stop() {
  mst_wine_stop
  if [ -n "$MST_XVFB_PID" ]; then
    kill "$MST_XVFB_PID" 2>/dev/null || true
    wait "$MST_XVFB_PID" 2>/dev/null || true
    MST_XVFB_PID=
  fi
}

# The prefix is about 700 MB and takes minutes to create, so it is made
# once and reused; the marker names the settings it was made with.
MST_PREFIX_MARK=mornstave-prefix-v1

mst_prefix() {
  local mark=$WINEPREFIX/$MST_PREFIX_MARK
  [ -f "$mark" ] && return 0
  mst_log "creating Wine prefix $WINEPREFIX (one-time, takes a few minutes)"
  mkdir -p "$WINEPREFIX"
  timeout --kill-after=10 900 wineboot -i >/dev/null 2>&1 || { mst_log "wineboot failed"; return 1; }
  timeout 120 wineserver -w || true

  # A virtual desktop stands in for the missing window manager: without
  # it every closed dialog stalls for about two seconds.  The fonts the
  # dialogs ask for are mapped to the IPA fonts so that the dialog gets
  # its proper size and the menu shows its text.
  local reg=$MST_BUILD_WIN/mornstave-prefix.reg
  iconv -f UTF-8 -t UTF-16LE > "$reg.body" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"MS PGothic"="IPAPGothic"
"MS UI Gothic"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS Gothic"="IPAGothic"
REG
  { printf '\xff\xfe'; cat "$reg.body"; } > "$reg"
  rm -f "$reg.body"
  mst_wine 120 regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 \
    || { mst_log "registry import failed"; return 1; }
  timeout 120 wineserver -w || true
  touch "$mark"
}
