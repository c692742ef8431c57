#!/usr/bin/env bash
# The release as a user gets it. scripts/package runs once; then: the zip holds exactly the six
# files, SHA256SUMS verifies, the program is stripped (its symbols beside the zip) and has its
# icon, every text has Windows line ends and README.txt no Markdown, the executable's version
# resource, its manifest, its report and the zip's name carry one version,
# THIRD-PARTY-NOTICES.txt names every library the link map shows linked, the package managers'
# manifests carry the zip's hash; a package signed with a throwaway certificate verifies; and the
# same sources packed again in another folder, later, give the same bytes.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/e2e/helpers.bash"
source "$root/scripts/wine-env.sh"
work=$root/build/release-test
rm -rf "$work"
mkdir -p "$work"
cd "$root" || exit 1

# Every package of this test dates its files by the same commit, even if one is made meanwhile.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

echo "=== scripts/package"
"$root/scripts/package" || exit 1
build=$root/build/release
version=$(cat "$build/version.txt")
zip=$root/dist/Klarvex-$version-win64.zip
texts=(English.ini README.txt CHANGELOG.txt LICENSE.txt THIRD-PARTY-NOTICES.txt)
expect "the zip's files, in order" "$(unzip -Z1 "$zip" | paste -sd' ')" "Klarvex.exe ${texts[*]}"
ok "SHA256SUMS verifies the zip" bash -c "cd '$root/dist' && sha256sum --quiet -c SHA256SUMS"
unzip -q "$zip" -d "$work/unpacked"
exe=$work/unpacked/Klarvex.exe

echo "=== the program and the texts"
sections=$(x86_64-w64-mingw32-objdump -h "$exe" | awk '$1 ~ /^[0-9]+$/ {print $2}')
expect "no debug sections in the zip's program" "$(grep -c '^\.debug' <<<"$sections")" "0"
ok "a debug link to the symbols" grep -qx '\.gnu_debuglink' <<<"$sections"
ok "an icon group" bash -c "wrestool -l --type=14 '$exe' | grep -q group_icon"
for text in "${texts[@]}"; do
  f=$work/unpacked/$text
  expect "$text: every line ends in CR LF" "$(grep -c $'\r$' "$f")" "$(wc -l <"$f")"
done
expect "README.txt and CHANGELOG.txt: no Markdown marks" \
  "$(grep -nE '^#|[*][*]|`|[|]-|!\[|\]\(' "$work/unpacked/README.txt" "$work/unpacked/CHANGELOG.txt")" ""
ok "winget and Scoop: required fields, version, the zip's hash and address" \
  python3 "$root/tests/release/manifests.py" "$root/dist" "$zip" "$version"

echo "=== one version: $version"
expect "the version resource (fixed, file, product) and the manifest" \
  "$(python3 "$root/tests/release/versions.py" "$exe" | tr -d '\r' | sort -u)" "$version"
# The report's version, from a scan by the zip's own program (in a prefix kept between runs).
export WINEPREFIX=$root/build/wine/release-prefix HOME=$root/build/wine/release-prefix/home
kvx_make_prefix "$WINEPREFIX"
mkdir -p "$WINEPREFIX/drive_c/klarvex"
cp "$work/unpacked/Klarvex.exe" "$WINEPREFIX/drive_c/klarvex/"
(cd "$WINEPREFIX/drive_c" && timeout 600 wine 'C:\klarvex\Klarvex.exe' SCAN /report 'C:\klarvex\r.json' >/dev/null 2>&1)
expect "the report's version" \
  "$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["version"])' "$WINEPREFIX/drive_c/klarvex/r.json")" \
  "$version"
finish_prefix

echo "=== third-party notices"
# Every archive a member was taken from, and every object file from outside this build.
linked=$(
  sed -n '1,/^Discarded input sections/p' "$build/Klarvex.map" | grep -o '^[^ (]*\.a(' | tr -d '('
  grep -o '^LOAD /.*\.o$' "$build/Klarvex.map" | cut -d' ' -f2
)
missing=()
for lib in $(printf '%s\n' "$linked" | xargs -n1 basename | grep -v '^libkvx_' | sort -u); do
  grep -qF "$lib" "$work/unpacked/THIRD-PARTY-NOTICES.txt" || missing+=("$lib")
done
expect "the notices name every library linked in" "${missing[*]}" ""
ok "the link map shows the runtime libraries" grep -q 'libstdc++\.a(' "$build/Klarvex.map"

echo "=== signed with a throwaway certificate"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Klarvex test signer" \
  -keyout "$work/sign.key" -out "$work/sign.pem" 2>/dev/null
KLARVEX_SIGN_CERT=$work/sign.pem KLARVEX_SIGN_KEY=$work/sign.key KLARVEX_DIST=$work/signed \
  "$root/scripts/package" >"$work/signed.log" 2>&1 || { cat "$work/signed.log"; exit 1; }
unzip -q "$work/signed/$(basename "$zip")" Klarvex.exe -d "$work/signed/unpacked"
ok "the zip's program carries a signature that verifies" bash -c \
  "osslsigncode verify -CAfile '$work/sign.pem' -in '$work/signed/unpacked/Klarvex.exe' >'$work/verify.log'"

echo "=== the same bytes from another folder"
copy=$work/copy
mkdir -p "$copy/src"
cd "$root" || exit 1
git ls-files -co --exclude-standard -z | tar --null -T - -cf - | tar -xf - -C "$copy/src"
KLARVEX_RELEASE_BUILD=$copy/build \
  KLARVEX_DIST=$copy/dist "$copy/src/scripts/package" >"$work/copy.log" 2>&1 ||
  { cat "$work/copy.log"; exit 1; }
ok "Klarvex.exe is byte for byte the same" cmp "$build/Klarvex.exe" "$copy/build/Klarvex.exe"
ok "the zip is byte for byte the same" cmp "$zip" "$copy/dist/$(basename "$zip")"

echo
if [ "$failures" -eq 0 ]; then echo "release: all checks passed"; else echo "release: $failures checks failed"; fi
[ "$failures" -eq 0 ]
