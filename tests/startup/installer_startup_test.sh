#!/usr/bin/env bash
# Starts packed installers under Wine and checks what a user sees at start-up.
#   installer_startup_test.sh ZentivoSetup.exe BUILD_DIR
# Needs DISPLAY (scripts/test provides a virtual one), xdotool and ImageMagick.
set -uo pipefail
SETUP="$1"
BUILD="$2"
SRC="$(cd "$(dirname "$0")/../.." && pwd)"
WINE_RUN="$SRC/cmake/wine-run"
SCREENS="$BUILD/screens"
work="$(mktemp -d)"
mkdir -p "$SCREENS"
. "$SRC/tests/support/wine-test.sh"
own_prefix installer_startup
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

require_pack

# 1. A packed installer opens its window with the title.
mkdir -p "$work/a"
pack_demo_installer "$SETUP" "$work/a/ZentivoSetup.exe"
"$WINE_RUN" "$work/a/ZentivoSetup.exe" >/dev/null 2>&1 &
first=$!
pids+=("$first")
win="$(wait_window 'Zentivo在线安装' 60)"
check "window opens" test -n "$win"
if [ -n "$win" ]; then
  sleep 1
  import -window "$win" "$SCREENS/startup-title.png" 2>/dev/null
  check "window is 640x391" test "$(xdotool getwindowgeometry "$win" | grep -o '[0-9]*x[0-9]*')" = "640x391"
fi
check "appinfo.xml written" test -s "$work/a/temp/appinfo.xml"
before="$(md5sum < "$work/a/temp/appinfo.xml")"

# 2. A second copy, even of another name, is refused under "提示" with exit code 0.
cp "$work/a/ZentivoSetup.exe" "$work/a/Other.exe"
"$WINE_RUN" "$work/a/Other.exe" >/dev/null 2>&1 &
second=$!
pids+=("$second")
box="$(wait_window '提示' 30)"
check "second copy shows the message box" test -n "$box"
if [ -n "$box" ]; then
  import -window "$box" "$SCREENS/startup-second-copy.png" 2>/dev/null
  xdotool windowactivate --sync "$box" >/dev/null 2>&1; xdotool key --window "$box" Return >/dev/null 2>&1
fi
wait_exit "$second" 30
check "second copy exits 0 (got $code)" test "$code" = "0"
check "appinfo.xml untouched" test "$before" = "$(md5sum < "$work/a/temp/appinfo.xml")"
kill "$first" 2>/dev/null
WINEPREFIX="$ZENTIVO_WINEPREFIX" wineserver -k 2>/dev/null
sleep 1

# 3. An installer without a block, one with a damaged block, and one whose
#    AppEName is not a single file name (a block zentivo-pack refuses to
#    make, so its value is swapped in here) show the load-failure message
#    under "src" and end.
mkdir -p "$work/b" "$work/c" "$work/d"
cp "$SETUP" "$work/b/ZentivoSetup.exe"
cp "$work/a/ZentivoSetup.exe" "$work/c/ZentivoSetup.exe"
python3 - "$work/c/ZentivoSetup.exe" <<'PY'
import struct, sys
p = sys.argv[1]
d = bytearray(open(p, "rb").read())
n = struct.unpack("<I", d[-4:])[0]
start = len(d) - n
d[start + 45:start + 60] = b"<<<<<<<<<<<<<<<"   # breaks the XML
open(p, "wb").write(bytes(d))
PY
cp "$work/a/ZentivoSetup.exe" "$work/d/ZentivoSetup.exe"
python3 - "$work/d/ZentivoSetup.exe" "$("$PACK" encode '..\..\Windows')" <<'PY'
import re, struct, sys
p, value = sys.argv[1], sys.argv[2].encode()
d = open(p, "rb").read()
n = struct.unpack("<I", d[-4:])[0]
xml = re.sub(rb"<AppEName>[^<]*</AppEName>", b"<AppEName>" + value + b"</AppEName>", d[-n:-4])
open(p, "wb").write(d[:-n] + xml + struct.pack("<I", len(xml) + 4))
PY
check "d: AppEName swapped" grep -qx 'AppEName=..\\..\\Windows' <<<"$("$PACK" dump "$work/d/ZentivoSetup.exe" 2>/dev/null)"
for case in b c d; do
  "$WINE_RUN" "$work/$case/ZentivoSetup.exe" >/dev/null 2>&1 &
  pid=$!
  pids+=("$pid")
  box="$(wait_window 'src' 60)"
  check "$case: load failure message box" test -n "$box"
  if [ -n "$box" ]; then
    import -window "$box" "$SCREENS/startup-config-failed-$case.png" 2>/dev/null
    xdotool windowactivate --sync "$box" >/dev/null 2>&1; xdotool key --window "$box" Return >/dev/null 2>&1
  fi
  wait_exit "$pid" 30
  check "$case: installer ends" test "$code" != "timeout"
  check "$case: no main window" test -z "$(xdotool search --onlyvisible --name '^Zentivo在线安装$' 2>/dev/null)"
done

echo "screenshots in $SCREENS"
[ "$fails" -eq 0 ]
