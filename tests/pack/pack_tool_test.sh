#!/usr/bin/env bash
# zentivo-pack as the packaging side uses it: pack, repack, dump, encode,
# decode, and the refusals that must leave no output behind.
set -uo pipefail
PACK="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fails=0
check() {  # check NAME CONDITION...
  local name="$1"; shift
  if "$@"; then echo "ok   $name"; else echo "FAIL $name"; fails=$((fails + 1)); fi
}

printf 'MZ\x90\x00fake installer image\n' > "$work/in.exe"
cat > "$work/values" <<'V'
# an edition
AppName=Zentivo 2014 演示版
AgentVersion=100176-1
V

"$PACK" pack --installer "$work/in.exe" --output "$work/out.exe" --values "$work/values" \
  --set AppEName=QUENXRPX_Word2007 --set IsGP=是
check "pack succeeds" test $? -eq 0
check "image kept at the front" cmp -s -n "$(stat -c %s "$work/in.exe")" "$work/in.exe" "$work/out.exe"

dump="$("$PACK" dump "$work/out.exe")"
check "dump exits 0" test $? -eq 0
check "dump shows AppName" grep -qx 'AppName=Zentivo 2014 演示版' <<<"$dump"
check "dump shows AppEName" grep -qx 'AppEName=QUENXRPX_Word2007' <<<"$dump"
check "dump lists 19 fields in order" test "$(cut -d= -f1 <<<"$dump" | tr '\n' ' ')" = \
  "AppInfoID AppName AppEName AppVersion DbVersion AgentVersion UserInfoUrl ErrinfoUrl TarvoDllUrl Author QQ Email Tel HomePage BBS Price Bank IsGP ShowMcTest "

# The block: declaration, tab-indented children, CR LF, trailing elements,
# IsGP as plain text, and a length field that counts itself.
size_in=$(stat -c %s "$work/in.exe"); size_out=$(stat -c %s "$work/out.exe")
tail -c +$((size_in + 1)) "$work/out.exe" | head -c $((size_out - size_in - 4)) > "$work/block.xml"
check "declaration line" grep -q $'^<?xml version="1.0" encoding="utf-8"?>\r$' "$work/block.xml"
check "IsGP plain" grep -q $'^\t<IsGP>是</IsGP>\r$' "$work/block.xml"
check "trailing remark" grep -q $'^\t<remark />\r$' "$work/block.xml"
len=$(tail -c 4 "$work/out.exe" | od -An -tu4 | tr -d ' ')
check "length field" test "$len" -eq $((size_out - size_in))

# Packing a packed installer replaces the block instead of stacking it.
"$PACK" pack --installer "$work/out.exe" --output "$work/re.exe" --set AppName=Other \
  --set AppEName=QUENXRQX_Excel2010
check "repack replaces" test "$(stat -c %s "$work/re.exe")" -lt $((size_out + 200))
check "repack value" grep -qx 'AppName=Other' <<<"$("$PACK" dump "$work/re.exe")"
check "repack drops old values" grep -qx 'AgentVersion=' <<<"$("$PACK" dump "$work/re.exe")"

enc="$("$PACK" encode '演示')"
check "encode/decode round trip" test "$("$PACK" decode "$enc")" = '演示'
check "decode --hex" test "$("$PACK" decode --hex "$enc")" = "d1ddcabe"

# Refusals: clear message, non-zero exit, no output file.
"$PACK" pack --installer "$work/in.exe" --output "$work/bad.exe" --set NoSuchField=1 2>"$work/err"
check "unknown field refused" test $? -ne 0
check "unknown field message" grep -q 'unknown field' "$work/err"
check "no partial output" test ! -e "$work/bad.exe"
"$PACK" pack --installer "$work/missing.exe" --output "$work/bad.exe" 2>/dev/null
check "missing installer refused" test $? -ne 0 -a ! -e "$work/bad.exe"
"$PACK" pack --installer "$work/in.exe" --output "$work/no/such/dir/out.exe" 2>/dev/null
check "unwritable output refused" test $? -ne 0
ls "$work"/*.part* >/dev/null 2>&1
check "no temporary left" test $? -ne 0

"$PACK" dump "$work/in.exe" >/dev/null 2>&1
check "dump of plain exe exits 2" test $? -eq 2
cp "$work/out.exe" "$work/damaged.exe"
# A length field that points into the middle of the XML text.
python3 -c 'import struct,sys; sys.stdout.buffer.write(struct.pack("<I", int(sys.argv[1])))' \
  $((size_out - size_in - 42)) | dd of="$work/damaged.exe" bs=1 seek=$((size_out - 4)) conv=notrunc 2>/dev/null
"$PACK" dump "$work/damaged.exe" >/dev/null 2>&1
check "dump of damaged block exits 2" test $? -eq 2
# Blocks the installer's parser refuses are not vouched for either.
for xml in '<AppInfo/><AppInfo/>' '<AppInfo a="1" a="2"/>' '<AppInfo>&#0;</AppInfo>' \
           '<AppInfo/>text'; do
  cp "$work/in.exe" "$work/strict.exe"
  python3 -c 'import struct,sys; x=sys.argv[1].encode(); sys.stdout.buffer.write(x + struct.pack("<I", len(x) + 4))' \
    "$xml" >>"$work/strict.exe"
  "$PACK" dump "$work/strict.exe" >/dev/null 2>"$work/err"
  check "dump refuses $xml" test $? -eq 2
  check "dump calls $xml damaged" grep -q 'damaged' "$work/err"
done

[ "$fails" -eq 0 ]
