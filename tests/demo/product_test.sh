#!/usr/bin/env bash
# The demo product under Wine as an installation leaves it: the generated
# edition B unpacked, Mivanta.exe opens its window titled with its product,
# leaves its launch marker and, with /close, ends by itself.
#   product_test.sh BIN_DIR BUILD_DIR
# A window is looked for only when DISPLAY is set (scripts/test sets it).
set -uo pipefail
BIN="$1"
BUILD="$2"
SRC="$(cd "$(dirname "$0")/../.." && pwd)"
WINE_RUN="$SRC/cmake/wine-run"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
. "$SRC/tests/support/wine-test.sh"
own_prefix demo_product
python3 "$SRC/tools/demo-content/demo-content" --programs "$BIN" --out "$work/content" \
  --setup-kb 16 --db-kb 4 --flash-kb 4 >/dev/null
check "content generated from the built programs" test $? -eq 0
# Unpacked the way the installer does it: GBK names, folders recreated.
I="$work/TARVO/QUENXRQX_Excel2010"
python3 - "$work/content/www/QUENXGlobeRQX_RSX/setup.zip" "$I" <<'PY'
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for info in z.infolist():
        name = info.filename.encode("cp437").decode("gbk")
        path = os.path.join(sys.argv[2], *name.rstrip("/").split("/"))
        if name.endswith("/"):
            os.makedirs(path, exist_ok=True)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(z.read(info))
PY

"$WINE_RUN" "$I/Mivanta.exe" /close=3 >/dev/null 2>&1 &
pid=$!
if [ -n "${DISPLAY:-}" ]; then
  check "window names the program and product" test -n "$(wait_window "Mivanta - Zentivo 冲刺版" 30)"
fi
wait_exit "$pid" 40
check "/close ends the program with code 0" test "$code" = 0
check "launch marker names the edition" \
  grep -q $'\tMivanta.exe\tZentivo 冲刺版\tQUENXRQX_Excel2010\r$' "$I/launched-Mivanta.txt"

# Without its settings file the program still starts, and says so.
rm "$I/ExamTime.ini"
"$WINE_RUN" "$I/DeskTutor.exe" /close=1 >/dev/null 2>&1
check "starts without ExamTime.ini" test $? -eq 0
check "marker without a product" grep -q $'\tDeskTutor.exe\t\t\r$' "$I/launched-DeskTutor.txt"

echo "product: $fails failed"
[ "$fails" -eq 0 ]
