#!/usr/bin/env bash
# gamelist-cli's contract, run against one build: exit codes, messages, the
# files it writes and the ones it must leave alone.
# Usage: cli_test.sh COMMAND...   (the command that runs gamelist-cli)
set -u
cli=("$@")
work=$(mktemp -d /tmp/gamelist-cli-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run EXPECTED_CODE ARGS... : runs the CLI, keeps stdout/stderr in $out/$err.
run() {
  local expected=$1; shift
  "${cli[@]}" "$@" >"$work/stdout" 2>"$work/stderr"
  local code=$?
  # Windows console programs end their lines with CR LF.
  out=$(tr -d '\r' <"$work/stdout"); err=$(tr -d '\r' <"$work/stderr")
  [ "$code" -eq "$expected" ] || fail "gamelist-cli $* exited $code, expected $expected (stderr: $err)"
}

same_bytes() { cmp -s "$1" "$2" || fail "$3: $(od -c "$1" | head -5)"; }
no_temporary_files() {
  local extra
  extra=$(ls -A "$1" | grep -v -x -F -f <(printf '%s\n' "${@:2}") || true)
  [ -z "$extra" ] || fail "files left behind in $1: $extra"
}

# --- arguments -------------------------------------------------------------
run 0 --help
[[ "$out" == usage:* ]] || fail "--help prints the usage on stdout"
[ -z "$err" ] || fail "--help writes nothing to stderr"

for args in "" "--frob $work" "--encoding latin1 $work" "--encoding" "--from-list x" "--out f --from-list x $work" \
            "$work $work" "--out a --out b $work"; do
  # shellcheck disable=SC2086
  run 2 $args
  [[ "$err" == usage:* ]] || fail "bad arguments '$args' print the usage on stderr"
  [ -z "$out" ] || fail "bad arguments '$args' print nothing on stdout"
done

# --- FOLDER mode -----------------------------------------------------------
roms="$work/roms"
mkdir -p "$roms/Saves"
for name in b.zip _x.zip A.zip a.zip 'Tom & Jerry.zip'; do echo rom >"$roms/$name"; done
echo "old list" >"$roms/gamelist.xml"
run 0 "$roms"
default_out=$(printf '%s' "$out" | sed -n 's/^wrote \(.*\) (5 games)$/\1/p')
[ -n "$default_out" ] || fail "FOLDER mode reports 'wrote FILE (5 games)', got: $out"
[[ "$default_out" == "$roms"?gamelist.xml ]] || fail "the default FILE is FOLDER/gamelist.xml, got $default_out"
paths=$(grep -o '<path>[^<]*</path>' "$roms/gamelist.xml" | tr '\n' ' ')
[ "$paths" = "<path>./A.zip</path> <path>./a.zip</path> <path>./b.zip</path> <path>./Tom &amp; Jerry.zip</path> <path>./_x.zip</path> " ] ||
  fail "FOLDER mode sorts as Windows listings do and leaves out plain folders and its own output, got: $paths"
head -c 39 "$roms/gamelist.xml" | grep -q -F '<?xml version="1.0" encoding="GB2312"?>' || fail "GB2312 is the default"
no_temporary_files "$roms" Saves b.zip _x.zip A.zip a.zip 'Tom & Jerry.zip' gamelist.xml

empty="$work/empty"; mkdir "$empty"
run 0 --out "$work/empty.xml" "$empty"
[ "$out" = "wrote $work/empty.xml (0 games)" ] || fail "an empty folder: $out"
printf '<?xml version="1.0" encoding="GB2312"?>\r\n<gameList/>\r\n' >"$work/expected-empty.xml"
same_bytes "$work/empty.xml" "$work/expected-empty.xml" "an empty folder gives an empty gameList"

for missing in "$work/no-such-folder" "$roms/b.zip"; do
  run 1 --out "$work/never.xml" "$missing"
  [ -n "$err" ] || fail "a FOLDER that is not a folder ($missing) is reported"
  [ ! -e "$work/never.xml" ] || fail "nothing is written for $missing"
done

# A Linux name that is not UTF-8 cannot become a list line: it is named, escaped.
if [[ "${cli[0]}" != *wine-exec ]]; then
  odd="$work/odd"; mkdir "$odd"; echo rom >"$odd/$(printf 'bad\xFFname.zip')"
  run 1 --out "$work/odd.xml" "$odd"
  [[ "$err" == *'bad\xFFname.zip'* ]] || fail "a name that is not UTF-8 is named, got: $err"
  [ ! -e "$work/odd.xml" ] || fail "nothing is written for a name that is not UTF-8"
fi

# --- LIST mode -------------------------------------------------------------
printf '\xEF\xBB\xBFAlpha.zip\r\n\r\n\xE9\xAD\x82\xE6\x96\x97\xE7\xBD\x97.zip\nCaf\xC3\xA9 \xE2\x82\xAC.7z\n\n' >"$work/list.txt"
run 0 --out "$work/list.xml" --from-list "$work/list.txt"
[ "$out" = "wrote $work/list.xml (3 games)" ] || fail "LIST mode reports its file and count, got: $out"
{
  printf '<?xml version="1.0" encoding="GB2312"?>\r\n<gameList>\r\n'
  printf '  <game>\r\n    <path>./Alpha.zip</path>\r\n    <name>Alpha</name>\r\n'
  printf '    <image>./images/Alpha.png</image>\r\n    <video>./videos/Alpha.mp4</video>\r\n  </game>\r\n'
  printf '  <game>\r\n    <path>./\xBB\xEA\xB6\xB7\xC2\xDE.zip</path>\r\n    <name>\xBB\xEA\xB6\xB7\xC2\xDE</name>\r\n'
  printf '    <image>./images/\xBB\xEA\xB6\xB7\xC2\xDE.png</image>\r\n    <video>./videos/\xBB\xEA\xB6\xB7\xC2\xDE.mp4</video>\r\n  </game>\r\n'
  printf '  <game>\r\n    <path>./Caf\xA8\xA6 &#x20AC;.7z</path>\r\n    <name>Caf\xA8\xA6 &#x20AC;.7z</name>\r\n'
  printf '    <image>./images/Caf\xA8\xA6 &#x20AC;.7z</image>\r\n    <video>./videos/Caf\xA8\xA6 &#x20AC;.7z</video>\r\n  </game>\r\n'
  printf '</gameList>\r\n'
} >"$work/expected-list.xml"
same_bytes "$work/list.xml" "$work/expected-list.xml" "LIST mode writes the exact GB2312 file"

# A short list whose last line has no line break keeps both lines.
printf 'a.zip\nbc.7z' >"$work/short.txt"
run 0 --out "$work/short.xml" --from-list "$work/short.txt"
paths=$(grep -o '<path>[^<]*</path>' "$work/short.xml" | tr '\n' ' ')
[ "$paths" = "<path>./a.zip</path> <path>./bc.7z</path> " ] || fail "a short list keeps its lines, got: $paths"

run 0 --encoding UTF-8 --out "$work/list-utf8.xml" --from-list "$work/list.txt"
head -c 38 "$work/list-utf8.xml" | grep -q -F '<?xml version="1.0" encoding="UTF-8"?>' || fail "--encoding utf-8 declares UTF-8"
grep -q -F "$(printf 'Caf\xC3\xA9 \xE2\x82\xAC.7z')" "$work/list-utf8.xml" || fail "UTF-8 output carries the characters themselves"

# --- failures write nothing and keep the old file ---------------------------
out_dir="$work/out"; mkdir "$out_dir"
printf 'the previous file\r\n' >"$out_dir/gamelist.xml"
cp "$out_dir/gamelist.xml" "$work/previous.xml"
printf 'good.zip\nbad\x01name.zip\n' >"$work/bad-list.txt"
run 1 --out "$out_dir/gamelist.xml" --from-list "$work/bad-list.txt"
[[ "$err" == *'bad\x01name.zip'* ]] || fail "text XML cannot carry is named in the message, got: $err"
run 1 --out "$out_dir/gamelist.xml" --from-list "$work/no-such-list.txt"
[ -n "$err" ] || fail "an unreadable LIST is reported"
mkdir "$out_dir/folder.xml"
run 1 --out "$out_dir/folder.xml" --from-list "$work/list.txt"
run 1 --out "$out_dir/missing/gamelist.xml" --from-list "$work/list.txt"
[ -n "$err" ] || fail "an output that cannot be written is reported"
same_bytes "$out_dir/gamelist.xml" "$work/previous.xml" "a failed run leaves the old file byte for byte"
no_temporary_files "$out_dir" gamelist.xml folder.xml

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all gamelist-cli checks passed"
