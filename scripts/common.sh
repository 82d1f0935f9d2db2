# Shared by the scripts (sourced, defines functions only): the Wine environment and a private Xvfb.
# shellcheck shell=bash

# sp_wine_env PREFIX: a 32-bit prefix, quiet, without the Mono/Gecko installers and menu entries,
# served by the native 64-bit wineserver where there is one (it serves 32-bit clients too and is
# much faster than an emulated one).
sp_wine_env() {
  export WINEPREFIX=$1 WINEARCH=win32
  export WINEDEBUG=${WINEDEBUG:--all}
  case "${WINEDLLOVERRIDES:-}" in
    *mscoree=*) ;;
    *) export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" ;;
  esac
  if [ -z "${WINESERVER:-}" ] && [ -x /usr/lib/wine/wineserver64 ]; then export WINESERVER=/usr/lib/wine/wineserver64; fi
}

# sp_start_xvfb: where there is no DISPLAY, starts Xvfb on a free display and exports DISPLAY;
# sp_stop_xvfb ends it. Scripts running at the same time each find their own display.
sp_xvfb_pid=
sp_start_xvfb() {
  [ -z "${DISPLAY:-}" ] || return 0
  local n
  for n in $(seq 90 199); do
    if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then continue; fi
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    sp_xvfb_pid=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$sp_xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
    sp_xvfb_pid=
  done
  echo "${0##*/}: could not start Xvfb (is the xvfb package installed? run scripts/setup)" >&2
  return 1
}
sp_stop_xvfb() { if [ -n "$sp_xvfb_pid" ]; then kill "$sp_xvfb_pid" 2>/dev/null || true; fi; }
