#!/usr/bin/env bash
# The installer window under Wine, driven with the pointer as a user would,
# with a screenshot of every view in BUILD_DIR/screens.
#   installer_window_test.sh ZentivoSetup.exe zentivo-window-harness.exe BUILD_DIR
# 1. The packed installer: Start view, hover face, the agreement gate, the
#    licence windows, DirectoryChoice, the folder browser, the close button.
# 2. The harness (the same window with a network check that says yes and a
#    scripted stand-in worker): a typed directory, Preparing, Downloading,
#    Installing and Finished, the drag and the minimise button.
# 3. The harness again: the close button while the worker still runs ends
#    the program at once.
# Needs DISPLAY (scripts/test provides a virtual one), xdotool and ImageMagick.
set -uo pipefail
SETUP="$1"
HARNESS="$2"
BUILD="$(cd "$3" && pwd)"
SRC="$(cd "$(dirname "$0")/../.." && pwd)"
WINE_RUN="$SRC/cmake/wine-run"
SKIN="$SRC/src/app/resources/skin"
SCREENS="$BUILD/screens"
TITLE='Zentivo在线安装'
work="$(mktemp -d)"
mkdir -p "$SCREENS"
. "$SRC/tests/support/wine-test.sh"
own_prefix installer_window
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  WINEPREFIX="$ZENTIVO_WINEPREFIX" wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT


# click WINDOW X Y: a left click at a point of the window's client area.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.6; }
hover() { xdotool mousemove --window "$1" "$2" "$3"; sleep 0.6; }
shot() { import -window "$1" "$SCREENS/$2.png" 2>/dev/null; }

# region_differs A B GEOMETRY: some pixel of that region differs between two
# pictures.
region_count() {
  convert "$1" -crop "$3" +repage "$work/crop-a.png" &&
    convert "$2" -crop "$3" +repage "$work/crop-b.png" || { echo error; return; }
  compare -metric AE "$work/crop-a.png" "$work/crop-b.png" null: 2>&1
}
region_differs() { local n; n="$(region_count "$@")"; [ "${n%%.*}" -gt 0 ] 2>/dev/null; }
region_same() { test "$(region_count "$@")" = 0; }

# press_button WINDOW DX DY: a click relative to the bottom right corner.
press_button() {
  local geo w h
  geo="$(xdotool getwindowgeometry "$1" | grep -o '[0-9]*x[0-9]*')"
  w="${geo%x*}"; h="${geo#*x}"
  xdotool mousemove --window "$1" $((w - $2)) $((h - $3)) click 1
  sleep 0.6
}

# press_ok BOX: the one button of a message box, centred at its foot.
press_ok() {
  local geo w h
  geo="$(xdotool getwindowgeometry "$1" | grep -o '[0-9]*x[0-9]*')"
  w="${geo%x*}"; h="${geo#*x}"
  xdotool mousemove --window "$1" $((w / 2)) $((h - 25)) click 1
  sleep 0.6
}

# answer BOX KEY: a key press into a message box. Without a window manager
# Wine gives a new box no keyboard focus, so it is given here first.
answer() {
  xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool key "$2"
  sleep 0.6
}

start_window() {
  "$WINE_RUN" "$@" >/dev/null 2>&1 &
  pid=$!
  pids+=("$pid")
  win="$(wait_for "^$TITLE\$" 60)"
}

require_pack

# --- 1. the packed installer ----------------------------------------------------
mkdir -p "$work/a"
pack_demo_installer "$SETUP" "$work/a/ZentivoSetup.exe"
start_window "$work/a/ZentivoSetup.exe"
check "window opens with its title" test -n "$win"
if [ -n "$win" ]; then
  hover "$win" 300 150
  shot "$win" ui-start
  check "window is 640x391" test "$(xdotool getwindowgeometry "$win" | grep -o '[0-9]*x[0-9]*')" = "640x391"
  convert "$SKIN/img1.bmp" "$work/img1.png"
  # The artwork is the background picture, unscaled from the top-left corner.
  check "background picture drawn as it is" region_same "$SCREENS/ui-start.png" "$work/img1.png" 540x190+0+30
  check "title drawn on it" region_differs "$SCREENS/ui-start.png" "$work/img1.png" 640x30+0+228

  hover "$win" 560 362
  shot "$win" ui-start-hover
  check "hover face over 准备安装" region_differs "$SCREENS/ui-start.png" "$SCREENS/ui-start-hover.png" 10x30+506+347
  hover "$win" 300 150
  shot "$win" ui-start-left
  check "hover face gone when the pointer leaves" region_same "$SCREENS/ui-start.png" "$SCREENS/ui-start-left.png" 120x36+504+345

  click "$win" 21 360  # untick the agreement
  hover "$win" 560 362
  shot "$win" ui-agreement-unticked
  check "unticked: no hover face" region_same "$SCREENS/ui-start.png" "$SCREENS/ui-agreement-unticked.png" 10x30+506+347
  check "unticked: 准备安装 greyed" region_differs "$SCREENS/ui-start.png" "$SCREENS/ui-agreement-unticked.png" 80x18+528+354
  click "$win" 21 360  # tick it again

  # Each click on the link opens a new window; 确定 only hides it.
  for round in 1 2; do
    click "$win" 130 360
    lic="$(wait_for '^软件用户许可安装协议$' 20)"
    check "licence window $round opens" test -n "$lic"
    [ -n "$lic" ] || break
    [ "$round" = 1 ] && shot "$lic" ui-licence
    press_button "$lic" 68 21  # 确定
    check "确定 hides licence window $round" wait_gone '^软件用户许可安装协议$' 10
  done
  check "two licence windows made" test "$(xdotool search --name '^软件用户许可安装协议$' | wc -l)" -eq 2

  click "$win" 560 362
  hover "$win" 300 150
  shot "$win" ui-directory-choice
  check "DirectoryChoice: secondary button shown" region_differs "$SCREENS/ui-start.png" "$SCREENS/ui-directory-choice.png" 120x36+367+345
  check "DirectoryChoice: edit box shown" region_differs "$SCREENS/ui-start.png" "$SCREENS/ui-directory-choice.png" 329x21+8+350

  known="$(visible '.' | sort)"
  click "$win" 420 362
  dialog=""
  for _ in $(seq 1 80); do
    dialog="$(comm -13 <(echo "$known") <(visible '.' | sort) | head -n 1)"
    [ -n "$dialog" ] && break
    sleep 0.25
  done
  check "选择安装目录 opens the folder browser" test -n "$dialog"
  if [ -n "$dialog" ]; then
    sleep 0.5
    import -window root "$SCREENS/ui-folder-browser.png" 2>/dev/null
    press_button "$dialog" 47 25  # 取消
  fi

  click "$win" 617 12
  wait_exit "$pid" 20
  check "close button ends the program with 0 (got $code)" test "$code" = "0"
fi
WINEPREFIX="$ZENTIVO_WINEPREFIX" wineserver -k 2>/dev/null
sleep 0.5

# --- 2. the harness through every view ------------------------------------------
steps="$work/steps"
mkdir -p "$steps"
start_window "$HARNESS" "Z:${steps//\//\\}"
check "harness window opens" test -n "$win"
if [ -n "$win" ]; then
  click "$win" 560 362           # 准备安装
  click "$win" 100 360           # into the edit box
  xdotool key ctrl+a
  xdotool type --delay 20 'C:\ZentivoTest\QUENXRPX_Word2007'
  click "$win" 560 362           # 安装
  hover "$win" 300 150
  shot "$win" ui-preparing
  check "Preparing: no message box" test -z "$(visible '^src$')"
  check "Preparing: progress bar shown" region_differs "$SCREENS/ui-directory-choice.png" "$SCREENS/ui-preparing.png" 600x20+16+288
  check "Preparing: directory created" test -d "$ZENTIVO_WINEPREFIX/drive_c/ZentivoTest/QUENXRPX_Word2007"

  touch "$steps/download"; sleep 1
  shot "$win" ui-downloading
  check "Downloading: bar advanced" region_differs "$SCREENS/ui-preparing.png" "$SCREENS/ui-downloading.png" 40x20+14+288
  touch "$steps/install"; sleep 1
  shot "$win" ui-installing
  touch "$steps/finish"; sleep 2.5
  shot "$win" ui-finished
  check "Finished: success badge" region_differs "$SCREENS/ui-installing.png" "$SCREENS/ui-finished.png" 130x60+257+267

  before="$(xdotool getwindowgeometry "$win" | grep -o 'Position: [0-9]*,[0-9]*')"
  xdotool mousemove --window "$win" 300 150 mousedown 1
  sleep 0.3; xdotool mousemove_relative 20 10; sleep 0.2; xdotool mousemove_relative 40 20; sleep 0.3
  xdotool mouseup 1; sleep 0.5
  after="$(xdotool getwindowgeometry "$win" | grep -o 'Position: [0-9]*,[0-9]*')"
  check "background drags the window ($before -> $after)" test "$before" != "$after"

  # The close button's faces: hover (red), pressed (dark red); a press that
  # is released elsewhere closes nothing.
  hover "$win" 300 150
  shot "$win" ui-close-normal
  hover "$win" 617 12
  shot "$win" ui-close-hover
  xdotool mousedown 1; sleep 0.6
  shot "$win" ui-close-pressed
  xdotool mousemove --window "$win" 300 150; sleep 0.3; xdotool mouseup 1; sleep 0.6
  check "close hover face" region_differs "$SCREENS/ui-close-normal.png" "$SCREENS/ui-close-hover.png" 43x24+596+0
  check "close pressed face" region_differs "$SCREENS/ui-close-hover.png" "$SCREENS/ui-close-pressed.png" 43x24+596+0
  check "a press released elsewhere leaves the window open" test -n "$(visible "^$TITLE\$")"

  click "$win" 583 10
  check "minimise button minimises" bash -c "xprop -id $win WM_HINTS | grep -q Iconic"
fi
kill "$pid" 2>/dev/null
WINEPREFIX="$ZENTIVO_WINEPREFIX" wineserver -k 2>/dev/null
sleep 0.5

# --- 3. closing while the worker runs ------------------------------------------
rm -f "$steps"/*
start_window "$HARNESS" "Z:${steps//\//\\}"
if [ -n "$win" ]; then
  click "$win" 560 362
  click "$win" 560 362  # D:\TARVO\... is no place here: the path message
  box="$(wait_for '^src$' 10)"
  check "impossible directory is refused" test -n "$box"
  if [ -n "$box" ]; then
    import -window root "$SCREENS/ui-message-src.png" 2>/dev/null
    press_ok "$box"
  fi
  click "$win" 100 360
  xdotool key ctrl+a
  xdotool type --delay 20 'C:\ZentivoTest\Second'
  click "$win" 560 362
  touch "$steps/download"; sleep 1
  # 取 消 answered No: the question goes, the window stays.
  click "$win" 560 362
  box="$(wait_for '^提示$' 10)"
  check "取 消 asks 是否要取消？" test -n "$box"
  if [ -n "$box" ]; then
    import -window root "$SCREENS/ui-cancel-question.png" 2>/dev/null
    answer "$box" n
    check "No closes the question" wait_gone '^提示$' 10
    check "No keeps the program running" kill -0 "$pid"
  fi
  click "$win" 617 12
  wait_exit "$pid" 15
  check "close while downloading ends at once with 0 (got $code)" test "$code" = "0"
fi
WINEPREFIX="$ZENTIVO_WINEPREFIX" wineserver -k 2>/dev/null
sleep 0.5

# --- 4. 取 消 answered Yes ----------------------------------------------------------
rm -f "$steps"/*
start_window "$HARNESS" "Z:${steps//\//\\}"
if [ -n "$win" ]; then
  click "$win" 560 362
  click "$win" 100 360
  xdotool key ctrl+a
  xdotool type --delay 20 'C:\ZentivoTest\Third'
  click "$win" 560 362
  click "$win" 560 362  # 取 消, while Preparing
  box="$(wait_for '^提示$' 10)"
  check "取 消 asks while Preparing" test -n "$box"
  [ -n "$box" ] && answer "$box" Return  # Yes is the default button
  wait_exit "$pid" 15
  check "Yes ends the program with 0 (got $code)" test "$code" = "0"
fi

echo "screenshots in $SCREENS"
[ "$fails" -eq 0 ]
