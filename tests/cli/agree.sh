#!/usr/bin/env bash
# The Linux and the Windows gamelist-cli must write identical bytes for the
# same folder (listed by the window's rule, with the attribute words Wine
# reports) and for the same list.
# Usage: agree.sh LINUX_CLI WINDOWS_CLI_EXE
set -u
host_cli=$1
win_cli=(env WINEDEBUG=-all "$(dirname "$0")/../../scripts/wine-exec" "$2")
work=$(mktemp -d /tmp/gamelist-agree.XXXXXX)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

roms="$work/roms"
mkdir -p "$roms"/{Saves,.dotfolder,ReadOnly,System,Hidden}
for name in Alpha.zip Beta.zip .hidden.zip notes.txt 'Tom & Jerry.zip' _under.zip \
            "$(printf '\xE9\xAD\x82\xE6\x96\x97\xE7\xBD\x97.zip')" "$(printf 'Caf\xC3\xA9 \xE2\x82\xAC.7z')"; do
  echo rom >"$roms/$name"
done
chmod a-w "$roms/ReadOnly"
python3 -c 'import os, sys; os.setxattr(sys.argv[1], "user.DOSATTRIB", b"0x4"); os.setxattr(sys.argv[2], "user.DOSATTRIB", b"0x2")' \
  "$roms/System" "$roms/Hidden"
ln -s Saves "$roms/Linked"
ln -s nowhere "$roms/Dangling"

for encoding in gb2312 utf-8; do
  "$host_cli" --encoding "$encoding" --out "$work/host-$encoding.xml" "$roms" >/dev/null || fail "Linux CLI failed on the folder"
  "${win_cli[@]}" --encoding "$encoding" --out "$work/win-$encoding.xml" "$roms" >/dev/null || fail "Windows CLI failed on the folder"
  cmp -s "$work/host-$encoding.xml" "$work/win-$encoding.xml" ||
    fail "the builds list the folder differently ($encoding): $(diff <(grep '<path>' "$work/host-$encoding.xml") <(grep '<path>' "$work/win-$encoding.xml"))"
done
for listed in .dotfolder ReadOnly System Hidden Linked .hidden.zip; do
  grep -q -F "<path>./$listed</path>" "$work/host-gb2312.xml" || fail "$listed is listed"
done
for skipped in Saves Dangling; do
  ! grep -q -F "<path>./$skipped</path>" "$work/host-gb2312.xml" || fail "$skipped is not listed"
done

printf 'Zelda.zip\r\n\xF0\x9F\x8E\xAE <&>.zip\r\n\xE3\x83\xBB\xE2\x80\x95\xC2\xB7\xE2\x80\x94.zip\r\n' >"$work/list.txt"
for encoding in gb2312 utf-8; do
  "$host_cli" --encoding "$encoding" --out "$work/host-list-$encoding.xml" --from-list "$work/list.txt" >/dev/null
  "${win_cli[@]}" --encoding "$encoding" --out "$work/win-list-$encoding.xml" --from-list "$work/list.txt" >/dev/null
  cmp -s "$work/host-list-$encoding.xml" "$work/win-list-$encoding.xml" || fail "the builds write the list differently ($encoding)"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "both builds agree"
