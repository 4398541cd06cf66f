#!/usr/bin/env bash
# The installer signed once with a test code-signing certificate and packed
# for two editions, the second from the first: each output still verifies
# with osslsigncode against the test CA, carries its block inside the
# signature with no byte after the DER, reads back with dump and starts
# under Wine with its configuration. Then signed files with bad tables,
# which pack refuses with their reasons; and the Windows tool's Chinese text
# on a console of code page 936 and through a pipe.
#   signed_installer_test.sh ZentivoSetup.exe zentivo-pack.exe BUILD_DIR
set -uo pipefail
SETUP="$(realpath "$1")"
PACK_EXE="$(realpath "$2")"
BUILD="$(realpath "$3")"
SRC="$(cd "$(dirname "$0")/../.." && pwd)"
WINE_RUN="$SRC/cmake/wine-run"
work="$(mktemp -d)"
. "$SRC/tests/support/wine-test.sh"
own_prefix signed_installer
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  WINEPREFIX="$ZENTIVO_WINEPREFIX" wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
require_pack
for tool in osslsigncode openssl; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (scripts/deps installs it)"; exit 1; }
done

# A test CA and a code-signing leaf it issued.
cd "$work"
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' > leaf.ext
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Zentivo Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout leaf.key -out leaf.csr -subj "/CN=Zentivo Test Signing" 2>/dev/null
openssl x509 -req -in leaf.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out leaf.pem -days 2 \
  -extfile leaf.ext 2>/dev/null
osslsigncode sign -certs leaf.pem -key leaf.key -n Zentivo -in "$SETUP" -out signed.exe >/dev/null
verifies() { osslsigncode verify -CAfile ca.pem -in "$1" 2>&1 | grep -q '^Succeeded'; }
check "the installer signs" verifies signed.exe
# Table ends the file, whole 8-byte units, dwLength = directory size, the
# DER fills it, and the block's length field is the file's last 4 bytes.
table_ok() {
  python3 - "$1" <<'PY'
import struct, sys
d = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", d, 0x3C)[0]
off, size = struct.unpack_from("<II", d, pe + 24 + 112 + 32)
length = struct.unpack_from("<I", d, off)[0]
der = d[off + 8:off + size]
n = der[1] & 0x7F
total = 2 + n + int.from_bytes(der[2:2 + n], "big")
block = struct.unpack_from("<I", d, len(d) - 4)[0]
ok = (off + size == len(d) and size % 8 == 0 and length == size and total == len(der)
      and d[len(d) - block:].startswith(b"<?xml"))
sys.exit(0 if ok else 1)
PY
}

"$PACK" pack --installer signed.exe --output a.exe \
  --set 'AppName=Zentivo 2014 演示版' --set AppEName=QUENXRPX_Word2007 --set AgentVersion=100176-1
"$PACK" pack --installer a.exe --output b.exe \
  --set 'AppName=Zentivo 冲刺版' --set AppEName=QUENXRPX_Sprint --set AgentVersion=200-2
for e in a b; do
  check "$e: verifies with the test CA" verifies $e.exe
  check "$e: block inside a whole table, nothing after the DER" table_ok $e.exe
done
check "a: dump reads its block" sh -c "'$PACK' dump a.exe | grep -qx 'AppEName=QUENXRPX_Word2007'"
check "b: dump reads the block that replaced a's" sh -c "'$PACK' dump b.exe | grep -qx 'AppEName=QUENXRPX_Sprint'"
check "b: one block, not two" test "$(grep -c '<AppInfo>' b.exe)" = 1

# The packed signed installer starts under Wine with b's configuration.
mkdir -p run
cp b.exe run/ZentivoSetup.exe
"$WINE_RUN" run/ZentivoSetup.exe >/dev/null 2>&1 &
pids+=("$!")
win="$(wait_window 'Zentivo在线安装' 60)"
check "b: the window opens" test -n "$win"
if [ -n "$win" ]; then
  sleep 1
  mkdir -p "$BUILD/screens"
  import -window "$win" "$BUILD/screens/signed-installer.png" 2>/dev/null
fi
check "b: appinfo.xml is b's block" cmp -s run/temp/appinfo.xml \
  <(python3 -c "import struct,sys;d=open('b.exe','rb').read();n=struct.unpack('<I',d[-4:])[0];sys.stdout.buffer.write(d[-n:-4])")
WINEPREFIX="$ZENTIVO_WINEPREFIX" wineserver -k 2>/dev/null
sleep 1

# Signed files pack can't put a block into.
damage() {  # damage IN OUT KIND
  python3 - "$@" <<'PY'
import struct, sys
src, dst, kind = sys.argv[1:]
d = bytearray(open(src, "rb").read())
pe = struct.unpack_from("<I", d, 0x3C)[0]
entry = pe + 24 + 112 + 32
off, size = struct.unpack_from("<II", d, entry)
if kind == "truncated":
    d = d[:len(d) - 100]
elif kind == "outside":
    struct.pack_into("<I", d, entry, len(d) + 64)
elif kind == "foreign":
    d[off + 8:off + size] = b"\x30\x03\x02\x01\x01" + b"\0" * (size - 13)
open(dst, "wb").write(bytes(d))
PY
}
for c in "truncated|the certificate table is truncated" \
         "outside|the certificate table points outside the file" \
         "foreign|the certificate table holds no PKCS#7 SignedData"; do
  kind="${c%%|*}" want="${c#*|}"
  damage signed.exe bad-$kind.exe "$kind"
  got="$("$PACK" pack --installer bad-$kind.exe --output out-$kind.exe --set AppEName=X --set AppName=X 2>&1)"
  code=$?
  check "$kind: pack refuses it (exit $code): $got" test "$code" = 2 -a "$got" = "zentivo-pack: bad-$kind.exe: $want"
  check "$kind: nothing written" test ! -e out-$kind.exe
done

# The Windows tool's text: on a console of code page 936 (Wine gives a
# program started on a terminal a real console) as UTF-16, and redirected as
# UTF-8. The terminal shows what the console holds, in UTF-8.
encoded="$("$PACK" encode 演示版)"
export ZENTIVO_WINEPREFIX="$ZENTIVO_WINEPREFIX"
script -qec "'$WINE_RUN' '$PACK_EXE' decode '$encoded'; '$WINE_RUN' '$PACK_EXE' pack --installer 缺少.exe --output o.exe --set AppName=a" \
  /dev/null > console.txt 2>&1
sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' console.txt > console-plain.txt
check "console: the value shows as 演示版" grep -q '^演示版' console-plain.txt
check "console: an error naming 缺少.exe shows" grep -q 'cannot read installer 缺少.exe' console-plain.txt
cp=$(WINEPREFIX="$ZENTIVO_WINEPREFIX" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDEBUG=-all \
  script -qec "$(command -v wine64 || command -v wine) cmd /c chcp" /dev/null 2>/dev/null |
  sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | grep -o '[0-9]\+' | tail -n 1)
check "console: its code page is 936 (got $cp)" test "$cp" = 936
"$WINE_RUN" "$PACK_EXE" decode "$encoded" > piped.txt 2>/dev/null
check "pipe: UTF-8 bytes" test "$(cat piped.txt | tr -d '\r')" = "演示版"
"$WINE_RUN" "$PACK_EXE" pack --installer 缺少.exe --output o.exe --set AppName=a > /dev/null 2> err.txt
check "pipe: an error in UTF-8, its argument read in UTF-16" \
  grep -qx 'zentivo-pack: cannot read installer 缺少.exe.\?' err.txt

[ "$fails" -eq 0 ]
