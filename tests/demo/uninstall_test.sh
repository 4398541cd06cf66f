#!/usr/bin/env bash
# uninstall.exe under Wine, run silently from the installation folder as its
# start-menu shortcut runs it: it removes exactly what a sample uninstall.log
# lists (files, then folders deepest first and only when empty), refuses bad
# lines, keeps everything unlisted, and is gone itself once it has ended.
#   uninstall_test.sh uninstall.exe BUILD_DIR
set -uo pipefail
UNINSTALL="$1"
BUILD="$2"
SRC="$(cd "$(dirname "$0")/../.." && pwd)"
WINE_RUN="$SRC/cmake/wine-run"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
. "$SRC/tests/support/wine-test.sh"
own_prefix demo_uninstall

gone() { [ ! -e "$1" ]; }
# The Wine name of a host path (drive Z: is the host's root).
win() { printf 'Z:%s' "$1" | tr '/' '\\'; }
# write_log FILE LINE...: GBK text, every line ending in CR LF.
write_log() { local f="$1"; shift; printf '%s\r\n' "$@" | iconv -f UTF-8 -t GBK >"$f"; }
# make FILE...: small files, with their folders.
make() { for f in "$@"; do mkdir -p "$(dirname "$f")"; echo "$f" >"$f"; done; }
# run DIR ARGS...: runs DIR/uninstall.exe; its exit code in $code.
run() { "$WINE_RUN" "$1/uninstall.exe" "${@:2}" >/dev/null 2>&1; code=$?; }
# wait_removed PATH: the finishing copy removes the uninstaller once it has ended.
wait_removed() {
  for _ in $(seq 1 80); do [ -e "$1" ] || return 0; sleep 0.25; done
  return 1
}
# install DIR: the uninstaller and a settings file naming the product.
install() {
  mkdir -p "$1"
  cp "$UNINSTALL" "$1/uninstall.exe"
  printf '[Product]\r\nAppName=Zentivo 2014 演示版\r\n' | iconv -f UTF-8 -t GBK >"$1/ExamTime.ini"
}

# 1. An ordinary installation: listed files among unlisted ones, a listed
# file already gone, and lines that must be refused.
I="$work/TARVO/QUENXRPX_Word2007"
D="$work/桌面"
S="$work/开始菜单/Zentivo 2014 演示版"
install "$I"
make "$I"/{CopyFIle.exe,DiskID32.dll,help.chm,DeskTutor.elf,DeskTutor.exe,VoiceTip.mp3,MIDAS.DLL} \
  "$I"/{Mivanta.exe,说明.txt,Images/封面.bmp,data/Maindb.db,TestFlash/第1课.swf} \
  "$D/Zentivo 2014 演示版.lnk" "$D/其他.lnk" \
  "$S/Zentivo 2014 演示版.lnk" "$S/卸载 Zentivo 2014 演示版.lnk" "$work/decoy.txt"
mkdir -p "$I/Menu"
W="$(win "$I")"
write_log "$I/uninstall.log" "[file]" \
  "$W\\CopyFIle.exe" "$W\\DiskID32.dll" "$W\\ExamTime.ini" "$W\\Flash.exe" "$W\\help.chm" \
  "$W\\DeskTutor.elf" "$W\\DeskTutor.exe" "$W\\VoiceTip.mp3" "$W\\uninstall.exe" "$W\\MIDAS.DLL" \
  "$(win "$D")\\Zentivo 2014 演示版.lnk" "$(win "$S")\\Zentivo 2014 演示版.lnk" \
  "$(win "$S")\\卸载 Zentivo 2014 演示版.lnk" "$W\\uninstall.log" \
  "$W\\..\\..\\decoy.txt" "decoy.txt" "$W\\Images" \
  "[dir]" "$W\\" "$W\\data\\" "$W\\Images\\" "$W\\Menu\\" "$W\\TestFlash\\" "$(win "$S")" "Z:\\"
run "$I" /S
check "partial uninstall exits 1" test "$code" = 1
for f in CopyFIle.exe DiskID32.dll ExamTime.ini help.chm DeskTutor.elf DeskTutor.exe \
  VoiceTip.mp3 MIDAS.DLL uninstall.log; do
  check "listed $f removed" gone "$I/$f"
done
check "listed shortcuts removed" gone "$D/Zentivo 2014 演示版.lnk"
check "empty listed folder removed" gone "$I/Menu"
check "start-menu folder removed" gone "$S"
for f in Mivanta.exe 说明.txt Images/封面.bmp data/Maindb.db TestFlash/第1课.swf; do
  check "unlisted $f kept" test -f "$I/$f"
done
check "unlisted shortcut kept" test -f "$D/其他.lnk"
check "path with .. refused" test -f "$work/decoy.txt"
check "folder named as a file kept" test -d "$I/Images"
check "uninstaller gone after it ended" wait_removed "$I/uninstall.exe"
check "folder with unlisted files kept" test -d "$I/data"

# 2. Everything listed: the whole installation goes, its folder included.
I="$work/完整/QUENXRQX_Excel2010"
S="$work/开始菜单/Zentivo 冲刺版"
install "$I"
make "$I/Mivanta.exe" "$I/TestFlash/提高/第1课.swf" "$S/Zentivo 冲刺版.lnk"
mkdir -p "$I/Menu" "$I/TestFlash/提高"
W="$(win "$I")"
write_log "$I/uninstall.log" "[file]" "$W\\Mivanta.exe" "$W\\ExamTime.ini" \
  "$W\\TestFlash\\提高\\第1课.swf" "$W\\uninstall.exe" "$(win "$S")\\Zentivo 冲刺版.lnk" \
  "$W\\uninstall.log" "[dir]" "$W\\" "$W\\Menu\\" "$W\\TestFlash\\" "$W\\TestFlash\\提高\\" \
  "$(win "$S")"
run "$I" /S
check "complete uninstall exits 0" test "$code" = 0
check "nested listed folders removed deepest first" gone "$I/TestFlash"
check "start-menu folder removed" gone "$S"
check "installation folder gone after the uninstaller ended" wait_removed "$I"
check "its parent, not listed, kept" test -d "$work/完整"

# 3. A listed file that can't be deleted (read-only): everything else goes,
# and the log and the uninstaller stay for another try, which then finishes.
I="$work/只读/QUENXRPX_Word2007"
install "$I"
make "$I/DeskTutor.exe" "$I/help.chm"
chmod a-w "$I/help.chm"
W="$(win "$I")"
write_log "$I/uninstall.log" "[file]" "$W\\DeskTutor.exe" "$W\\help.chm" "$W\\ExamTime.ini" \
  "$W\\uninstall.exe" "$W\\uninstall.log" "[dir]" "$W\\"
run "$I" /S
check "failed delete exits 1" test "$code" = 1
check "read-only file stays" test -f "$I/help.chm"
check "other listed files removed" gone "$I/DeskTutor.exe"
check "log kept for another try" test -f "$I/uninstall.log"
sleep 1
check "uninstaller kept for another try" test -f "$I/uninstall.exe"
chmod u+w "$I/help.chm"
run "$I" /S
check "second try exits 0" test "$code" = 0
check "second try removes the rest" wait_removed "$I"

# 4. No log beside the uninstaller: nothing is touched.
I="$work/无记录"
install "$I"
make "$I/DeskTutor.exe"
run "$I" /S
check "missing log exits 2" test "$code" = 2
check "nothing removed without a log" test -f "$I/DeskTutor.exe" -a -f "$I/uninstall.exe"

echo "uninstall: $fails failed"
[ "$fails" -eq 0 ]
