# Shared by the scripts (sourced; it only defines functions and names): the Wine environment, a
# private Xvfb and the demo station's layout.
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

# The demo station, laid out alike by run, bench and package (sim/demo holds its files).
sp_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Where scripts/run and scripts/bench put it in a Wine prefix, as Windows names it.
sp_demo_windows_dir='C:\Station'

# sp_demo_station DEST BIN [keep]: the panel and spprobe from BIN with loginset.ini beside them (the
# panel reads it from its working directory), the configuration in DEST/Config, the simulated
# device library with its settings in DEST/Device. With "keep", configuration files already there
# stay as they are.
sp_demo_station() {
  local dest=$1 bin=$2 demo=$sp_root/sim/demo
  mkdir -p "$dest/Config" "$dest/Device" "$dest/Plans"
  if [ "${3:-}" != keep ] || [ ! -f "$dest/Config/calib.ini" ]; then
    cp "$demo/calib.ini" "$demo/DevOz.ini" "$demo/sysOz.ini" "$demo/DevID.ini" "$dest/Config/"
  fi
  cp "$bin/StationProbe.exe" "$bin/spprobe.exe" "$demo/loginset.ini" "$dest/"
  cp "$bin/Hardware.dll" "$demo/HardwareSim.ini" "$dest/Device/"
  cp "$demo/plans/monthly-check.txt" "$demo/plans/fails-on-purpose.txt" "$dest/Plans/"
}

# sp_demo_prefix PREFIX BIN [keep]: the demo station in the Wine prefix at C:\Station, and the
# simulated system library (all its names) in the system directory with SysENV.ini naming the
# station's folders. Sets sp_demo_dir to the station's folder.
sp_demo_prefix() {
  local system32=$1/drive_c/windows/system32
  sp_demo_dir=$1/drive_c/Station
  sp_demo_station "$sp_demo_dir" "$2" "${3:-}"
  cp "$2"/SysENV*.dll "$system32/"
  printf '[Directories]\r\nConfig=%s\\Config\r\nDeviceLibrary=%s\\Device\r\n' "$sp_demo_windows_dir" \
    "$sp_demo_windows_dir" >"$system32/SysENV.ini"
}
