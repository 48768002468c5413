# A private X server and a fresh 32-bit Wine prefix for one test run.
# Sourced by run_all.sh, which provides $work (scratch directory) and the
# variables xvfb_pid and app_pid; everything here is stopped by process id or
# by this prefix's own server, never by name.

# Xvfb on a display number it picks itself, 24 bits deep: Wine's 16-bit modes
# are emulated on top of it.
start_xvfb() {
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    if [ -s "$work/display" ]; then
      display=$(tr -d '\n' <"$work/display")
      export DISPLAY=:$display
      return 0
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "  Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  return 1
}

stop_xvfb() {
  [ -n "$xvfb_pid" ] || return 0
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
}

# A new prefix with the settings the program needs under Xvfb:
# - a virtual desktop of the screen's size: without one, Wine offers only the X
#   screen's own mode and SetDisplayMode(640, 480, 16) fails with
#   DDERR_UNSUPPORTED;
# - unmanaged windows, so destroying the main window does not wait on a
#   window manager that is not there;
# - the GDI renderer for DirectDraw: plain memory surfaces, no GL or Vulkan.
start_wine() {
  export WINEPREFIX=$work/prefix
  export WINEARCH=win32
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
  if ! wineboot -i >"$work/wineboot.log" 2>&1; then
    echo "  wineboot failed:" >&2
    cat "$work/wineboot.log" >&2
    return 1
  fi
  cat >"$work/settings.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="640x480"

[HKEY_CURRENT_USER\Software\Wine\Direct3D]
"renderer"="gdi"
EOF
  if ! wine regedit /S "$work/settings.reg" >>"$work/wineboot.log" 2>&1; then
    echo "  the prefix's settings could not be written" >&2
    return 1
  fi
  # The desktop made during wineboot keeps its old settings; a new server
  # makes a new one.
  wineserver -k
  wineserver -w
  return 0
}

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] || return 0
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}

# The program, if it still runs: first asked, then forced.
stop_program() {
  [ -n "$app_pid" ] || return 0
  kill "$app_pid" 2>/dev/null
  for _ in $(seq 20); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -9 "$app_pid" 2>/dev/null
  wait "$app_pid" 2>/dev/null
  app_pid=
}
