# Shared by the shell tests that run Windows programs under Wine and look at
# their windows with xdotool. Source it; it counts failed checks in $fails.

fails=0

# own_prefix NAME: this test's own Wine prefix, <build>/wine-tests/NAME, fresh
# for every run; cmake/wine-run clones it from the build's template at first
# use. No other test shares its wineserver, so stopping that server is safe.
own_prefix() {
  local build
  build="$(cd "$BUILD" && pwd)"
  export ZENTIVO_WINE_TEMPLATE="$build/wineprefix-template"
  export ZENTIVO_WINEPREFIX="$build/wine-tests/$1"
  if [ -d "$ZENTIVO_WINEPREFIX" ]; then
    WINEPREFIX="$ZENTIVO_WINEPREFIX" wineserver -k 2>/dev/null
    WINEPREFIX="$ZENTIVO_WINEPREFIX" wineserver -w 2>/dev/null
    rm -rf "$ZENTIVO_WINEPREFIX"
  fi
}

# check NAME COMMAND...: runs COMMAND, reports "ok"/"FAIL" with NAME.
check() {
  local name="$1"; shift
  if "$@"; then echo "ok   $name"; else echo "FAIL $name"; fails=$((fails + 1)); fi
}

# visible NAME_REGEX: ids of the visible windows of that name.
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null; }

# wait_for NAME_REGEX SECONDS [COUNT]: prints the first id once COUNT windows show.
wait_for() {
  local regex="$1" limit="$2" count="${3:-1}"
  for _ in $(seq 1 $((limit * 4))); do
    if [ "$(visible "$regex" | wc -l)" -ge "$count" ]; then visible "$regex" | head -n 1; return 0; fi
    sleep 0.25
  done
  return 1
}

# wait_window TITLE SECONDS: prints the id once a visible window of exactly
# that name exists.
wait_window() { wait_for "^$1\$" "$2"; }

# wait_gone NAME_REGEX SECONDS: true once no window of that name shows. Wine
# under a bare X server takes a moment to unmap a hidden window.
wait_gone() {
  for _ in $(seq 1 $(($2 * 4))); do
    [ -z "$(visible "$1")" ] && return 0
    sleep 0.25
  done
  return 1
}

# wait_exit PID SECONDS: waits for the process; its exit code in $code, or
# "timeout".
wait_exit() {
  local pid="$1" limit="$2"
  for _ in $(seq 1 $((limit * 4))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      code=$?
      return 0
    fi
    sleep 0.25
  done
  code=timeout
  return 1
}

# The native packing tool, which the installer tests pack their installers with.
PACK="$SRC/build/native/bin/zentivo-pack"

# require_pack: ends the test with a hint when the native build is missing.
require_pack() {
  if [ ! -x "$PACK" ]; then
    echo "the native zentivo-pack is needed: build the native preset first"
    exit 1
  fi
}

# pack_demo_installer SETUP OUT: OUT is SETUP packed for the demo edition
# "Zentivo 2014 演示版" (QUENXRPX_Word2007, agent 100176-1).
pack_demo_installer() {
  "$PACK" pack --installer "$1" --output "$2" \
    --set 'AppName=Zentivo 2014 演示版' --set AppEName=QUENXRPX_Word2007 --set AgentVersion=100176-1
}
