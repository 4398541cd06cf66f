#!/usr/bin/env bash
# The Windows build over https (WinINet, the prefix's certificate store),
# through zentivo-pack.exe check against nginx with TLS and a test CA:
# refused while the prefix doesn't trust the CA, passing once
# trust-test-ca.exe has put it into the prefix's root store, and refused
# again for a certificate made out to another host.
#
#   wine_https_test.sh ZENTIVO_PACK_EXE TRUST_TEST_CA_EXE BUILD_DIR
set -uo pipefail
PACK="$1" TRUST="$2" BUILD="$(cd "$3" && pwd)"
src="$(cd "$(dirname "$0")/../.." && pwd)"
servers="$src/tests/servers"
work="$(mktemp -d "${TMPDIR:-/tmp}/zentivo-wine-https.XXXXXX")"
# A prefix of this test's own: the CA goes into no other.
export ZENTIVO_WINEPREFIX="$BUILD/wine-https/prefix-$$"
cleanup() {
  "$servers/nginx-serve" stop "$work/good" >/dev/null 2>&1
  "$servers/nginx-serve" stop "$work/wrong" >/dev/null 2>&1
  WINEPREFIX="$ZENTIVO_WINEPREFIX" wineserver -k 2>/dev/null
  rm -rf "$work" "$ZENTIVO_WINEPREFIX" "$ZENTIVO_WINEPREFIX.lock"
}
trap cleanup EXIT
fails=0
check() {  # check NAME CONDITION...
  local name="$1"; shift
  if "$@"; then echo "ok   $name"; else echo "FAIL $name"; fails=$((fails + 1)); fi
}

mkdir -p "$work/programs" "$(dirname "$ZENTIVO_WINEPREFIX")"
for name in DeskTutor.exe Mivanta.exe uninstall.exe; do printf 'MZ%s' "$name" >"$work/programs/$name"; done
python3 "$src/tools/demo-content/demo-content" --programs "$work/programs" --out "$work/content" \
  --setup-kb 600 --db-kb 64 --flash-kb 16 >/dev/null || exit 1
# The tool trusts the tests' release key, as the installer of this build does:
# the tree gets its manifest, signed by the Windows tool itself.
"$src/cmake/wine-run" "$PACK" sign --server "Z:$work/content/www" \
  --key "Z:$src/tests/keys/release-test.key" >/dev/null || exit 1
"$servers/make-test-ca" "$work/ca" || exit 1
good=$("$servers/nginx-serve" start "$work/content/www" "$work/good" --owner $$ \
  --tls "$work/ca/server.pem" "$work/ca/server.key") || exit 1
wrong=$("$servers/nginx-serve" start "$work/content/www" "$work/wrong" --owner $$ \
  --tls "$work/ca/wronghost.pem" "$work/ca/wronghost.key") || exit 1
values="Z:$work/content/edition-A.values"

run_check() {  # run_check PORT: zentivo-pack.exe check's output, its exit code last
  # By name: Wine matches a host against the certificate's DNS names only,
  # not its IP addresses.
  "$src/cmake/wine-run" "$PACK" check --server "https://localhost:$1" --values "$values" 2>&1
  echo "exit $?"
}

out="$(run_check "$good")"
check "an untrusted CA fails the check" grep -qx 'exit 1' <<<"$out"
check "with the certificate message" \
  grep -q '^setup.zip: HEAD failed: 服务器证书无效，无法建立安全连接 (' <<<"$out"
check "and the installer's box text" \
  grep -q '"\[setup.zip\]服务器证书无效，无法建立安全连接"' <<<"$out"

"$src/cmake/wine-run" "$TRUST" "Z:$work/ca/ca.pem"
check "the prefix takes the test CA" test $? -eq 0

out="$(run_check "$good")"
check "a trusted certificate passes" grep -qx 'exit 0' <<<"$out"
check "every archive read" test "$(grep -c ' files ok ' <<<"$out")" -eq 3
check "the manifest verified" grep -q '^manifest .*signed .*entries' <<<"$out"

out="$(run_check "$wrong")"
check "another host's certificate fails" grep -qx 'exit 1' <<<"$out"
check "with the certificate message" \
  grep -q '^setup.zip: HEAD failed: 服务器证书无效，无法建立安全连接 (' <<<"$out"

[ "$fails" -eq 0 ] || { echo "$out"; exit 1; }
