#!/usr/bin/env bash
# The Wine world the Windows tests run in, kept under one folder of the build:
#   wine-env.sh STATE setup        start Xvfb, make the prefix once, start wineserver
#   wine-env.sh STATE run PROGRAM  run a Windows program there (CTest's emulator)
#   wine-env.sh STATE env          print the environment, for other test scripts
#   wine-env.sh STATE stop         stop wineserver and Xvfb
set -euo pipefail
state=$1 action=$2
shift 2

export WINEPREFIX=$state/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko prompts
export WINEARCH=win64

environment() {
  [ -s "$state/display" ] || { echo "wine-env.sh: no display in $state; run setup first" >&2; exit 2; }
  export DISPLAY=":$(head -n1 "$state/display")"
}

case $action in
setup)
  mkdir -p "$state"
  # Our own X server on a display it picks itself.
  if [ ! -s "$state/xvfb.pid" ] || ! kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
    rm -f "$state/display"
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
      </dev/null >/dev/null 2>&1 3>"$state/display" &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 300); do [ -s "$state/display" ] && break; sleep 0.1; done
  fi
  environment
  if [ ! -f "$WINEPREFIX/.marelo-ready" ]; then
    wine wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    # Debian's Wine does not load its own fonts (Tahoma, Marlett) from where it keeps them.
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    # No crash dialog waiting for a user; every window inside one virtual desktop
    # (without a window manager, X would make each hide wait for one); and
    # "ＭＳ Ｐゴシック" drawn as the close IPA face.
    reg=$state/settings.reg
    { printf '\xff\xfe'
      printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' '"Default"="1024x768"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' '"ＭＳ Ｐゴシック"="IPAPGothic"' '' |
        iconv -f UTF-8 -t UTF-16LE
    } >"$reg"
    wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.marelo-ready"
  fi
  # One wineserver for every test, and the prefix's services started, with
  # nothing left holding CTest's pipes.
  setsid wineserver -p </dev/null >/dev/null 2>&1 || true
  wine wineboot </dev/null >/dev/null 2>&1
  # 96 dpi and the prefix's own colours and visual styles, whatever a test
  # that changed them left behind.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f \
    </dev/null >/dev/null 2>&1
  colours=$(winepath -w "$state/colours.reg" 2>/dev/null)
  if [ -f "$state/colours.reg" ]; then
    wine reg import "$colours" </dev/null >/dev/null 2>&1
  else
    wine reg export 'HKCU\Control Panel\Colors' "$colours" /y </dev/null >/dev/null 2>&1
  fi
  wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' \
    /v ThemeActive /f </dev/null >/dev/null 2>&1 || true
  # Nor colours or fonts a stopped test set for the session, which Wine keeps
  # above the registry for every program started later.
  for key in Colors Desktop 'Desktop\WindowMetrics'; do
    wine reg delete 'HKCU\Software\Wine\Temporary System Parameters\Control Panel\'"$key" \
      /va /f </dev/null >/dev/null 2>&1 || true
  done
  ;;
run)
  environment
  exec wine "$@"
  ;;
env)
  environment
  printf 'WINEPREFIX=%s\nWINEDEBUG=%s\nWINEDLLOVERRIDES=%s\nWINEARCH=%s\nDISPLAY=%s\n' \
    "$WINEPREFIX" "$WINEDEBUG" "$WINEDLLOVERRIDES" "$WINEARCH" "$DISPLAY"
  ;;
stop)
  if [ -s "$state/display" ]; then
    environment
    wineserver -k 2>/dev/null || true
  fi
  if [ -s "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/display"
  fi
  ;;
*)
  echo "usage: wine-env.sh STATE setup|run PROGRAM...|env|stop" >&2
  exit 2
  ;;
esac
