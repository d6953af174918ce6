#!/bin/bash
# The zortab program on the fixtures of this folder and on hostile input made here:
# exit codes, the findings of `check` in both forms, the trees of `show`, and that binary
# data, NULs, stray bytes and a 100 MB line neither crash it nor make it hold much more
# than the input. Usage: cli_test.sh ZORTAB FIXTURES WORKDIR [EXAMPLES]
set -u
zortab=$1
fixtures=$2
work=$3
examples=${4:-}
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0
checks=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# expect_exit CODE CMD...: runs CMD with stdout in $work/out and stderr in $work/err.
expect_exit() {
  local want=$1
  shift
  checks=$((checks + 1))
  "$@" >"$work/out" 2>"$work/err"
  local got=$?
  [ "$got" -eq "$want" ] || fail "exit $got, not $want: $* ($(head -c 300 "$work/err"))"
}
# expect_line FILE TEXT: FILE holds a line with TEXT.
expect_line() {
  checks=$((checks + 1))
  grep -qF -- "$2" "$1" || fail "no line with '$2' in $(basename "$1")"
}
expect_no_line() {
  checks=$((checks + 1))
  ! grep -qF -- "$2" "$1" || fail "a line with '$2' in $(basename "$1")"
}
# expect_json: $work/out is one JSON array of N objects (when python3 is there).
expect_json() {
  command -v python3 >/dev/null || return 0
  checks=$((checks + 1))
  python3 -c '
import json, sys
records = json.load(open(sys.argv[1], encoding="utf-8"))
assert isinstance(records, list) and len(records) == int(sys.argv[2]), len(records)
for r in records:
    assert {"file", "line", "status", "id", "tab", "parent", "messages"} <= r.keys(), r
    assert ("level" in r) == (r["status"] == "stored"), r
' "$work/out" "$1" || fail "JSON output not an array of $1 records"
}

records=$fixtures/records.txt
page=$fixtures/catalogue.html

# ---- check: one finding of every kind, in text and JSON --------------------------------
expect_exit 1 "$zortab" check "$records"
out=$work/out
expect_line "$out" 'records.txt:5: warning: the ID "apples" is already used by line 1'
expect_line "$out" 'records.txt:6: dropped: no TAB: display style 0'
expect_line "$out" 'records.txt:7: warning: PARENT "nobody" names no item'
expect_line "$out" 'records.txt:8: stored: ID "cut" in tab "Veg", level 9'
expect_line "$out" 'records.txt:8: warning: LEVEL 12 is above 9: stored as 9'
expect_line "$out" 'records.txt:8: warning: OPIC 60 is above 54: stored as 0'
expect_line "$out" 'records.txt:8: warning: OVERLAY 9 is above 8: stored as 0'
expect_line "$out" 'records.txt:8: warning: TABPIC 70 is above 54: stored as 0'
expect_line "$out" 'records.txt:9: warning: PARENT names the item itself'
expect_line "$out" 'records.txt:10: warning: PARENT "late" comes later (line 11)'
expect_line "$out" 'records.txt:11: warning: parent loop: "early" -> "late" -> "early"'
expect_line "$out" 'records.txt:12: dropped: an END record'
expect_line "$out" 'records.txt:13: dropped: no record key'
expect_line "$out" 'records.txt:14: warning: PARENT "apples" is in the tab "Fruit"'
expect_line "$out" '13 records: 10 stored, 3 dropped, 12 warnings'
expect_exit 1 "$zortab" check --json "$records"
expect_json 13

# The same records in tree-only display: a missing tab is no reason to drop.
expect_exit 1 "$zortab" check --display-style=2 "$records"
expect_line "$out" 'records.txt:6: stored: ID "lost" in tab "Hidden"'

# A page: CL values in index order, decoded; the names the control never reads.
expect_exit 0 "$zortab" check "$page"
expect_line "$out" 'catalogue.html:9: stored: CL1, ID "b1"'
expect_line "$out" 'catalogue.html:8: stored: CL2, ID "b2" in tab "Books", level 1, parent "b1"'
expect_line "$out" 'catalogue.html:13: stored: CL3, ID "b3"'
expect_line "$out" 'catalogue.html:10: warning: the control reads no parameter CL05'
expect_line "$out" 'catalogue.html:12: warning: CL2 is given again'
expect_no_line "$out" 'never'
expect_exit 1 "$zortab" check --strict "$page"
expect_exit 0 "$zortab" check --json "$page"
expect_json 3

# ---- show: the trees the control builds ---------------------------------------------------
expect_exit 0 "$zortab" show "$records"
expect_line "$out" 'tab 0 "Fruit" (picture 5)'
expect_line "$out" '    Green  [ID "green", overlay 2]'
expect_line "$out" '    Red  [ID "red", selected]'
expect_line "$out" '    Late  [ID "late"]'
expect_line "$out" '  Cross  [ID "cross"]'
{
  echo 'TAB:A,TEXT:top,ID:d0'
  for i in $(seq 1 11); do echo "TAB:A,TEXT:deep$i,ID:d$i,PARENT:d$((i - 1))"; done
} >"$work/deep.txt"
expect_exit 0 "$zortab" show "$work/deep.txt"
expect_line "$out" '                  deep9  [ID "d9"]'
expect_line "$out" '  not shown: "deep10" [ID "d10", level 10]'
expect_exit 0 "$zortab" check "$work/deep.txt"
expect_line "$out" 'deep.txt:11: warning: level 10: a rebuild of the tree does not show'

# The shipped sample page: every record stored, and every tab shown.
if [ -n "$examples" ] && [ -f "$examples/catalogue.html" ]; then
  expect_exit 0 "$zortab" check "$examples/catalogue.html"
  expect_exit 0 "$zortab" show "$examples/catalogue.html"
  expect_line "$out" 'tab 0 '
fi

# ---- errors --------------------------------------------------------------------------------
expect_exit 2 "$zortab" check "$work/missing.txt"
expect_line "$work/err" 'cannot open'
expect_exit 2 "$zortab" check "$work"
expect_line "$work/err" 'cannot read'
expect_exit 2 "$zortab" check --frobnicate "$records"
expect_line "$work/err" "unknown option '--frobnicate'"
expect_exit 2 "$zortab" check --delimiter=comma "$records"
expect_exit 2 "$zortab" check
expect_exit 2 "$zortab" frob
expect_exit 0 "$zortab" --help
expect_line "$out" 'usage: zortab check'
expect_exit 2 "$zortab" check --text /dev/zero
expect_line "$work/err" 'is larger than'

# ---- hostile input ---------------------------------------------------------------------------
# Every byte value, many times over, read both as text and as a page.
LC_ALL=C awk 'BEGIN { for (n = 0; n < 4096; n++) for (b = 0; b < 256; b++) printf "%c", (b * 7 + n) % 256 }' \
  >"$work/binary.bin"
checks=$((checks + 1))
[ "$(wc -c <"$work/binary.bin")" -eq 1048576 ] || fail "binary input of $(wc -c <"$work/binary.bin") bytes"
expect_exit 1 "$zortab" check --text --json "$work/binary.bin"
expect_json "$(grep -c '^{' "$work/out")"
expect_exit 0 "$zortab" check --html "$work/binary.bin"
expect_line "$work/out" 'the page gives no CL0 .. CL350 parameter'
for form in --text --html; do
  expect_exit 0 "$zortab" show $form "$work/binary.bin"
done
# NULs and ANSI bytes inside values: kept, and printed escaped.
printf 'TAB:A\0B,TEXT:caf\xe9 \x1b[31m,ID:n\0l\n' >"$work/nul.txt"
expect_exit 0 "$zortab" check "$work/nul.txt"
expect_line "$out" 'stored: ID "n\x00l" in tab "A\x00B"'
expect_exit 0 "$zortab" check --json "$work/nul.txt"
expect_line "$out" '"id":"n\u0000l","tab":"A\u0000B"'
expect_json 1
expect_exit 0 "$zortab" show "$work/nul.txt"
expect_line "$out" 'caf\xe9 \x1b[31m'
# A 100 MB line: stored as one item, and the program holds a few copies at most.
{ printf 'TAB:Big,ID:big,TEXT:'; head -c 100000000 /dev/zero | tr '\0' 'x'; echo; } >"$work/huge.txt"
if [ -x /usr/bin/time ]; then
  checks=$((checks + 1))
  /usr/bin/time -f '%M' -o "$work/rss" "$zortab" check "$work/huge.txt" >"$work/out" 2>"$work/err"
  [ $? -eq 0 ] || fail "huge line: $(head -c 300 "$work/err")"
  # Kilobytes; the sanitizers of a debug build add their own share.
  [ "$(tail -1 "$work/rss")" -lt 800000 ] || fail "huge line: $(tail -1 "$work/rss") kB held"
else
  expect_exit 0 "$zortab" check "$work/huge.txt"
fi
expect_line "$out" 'stored: ID "big" in tab "Big"'
# As a page value it is longer than the control takes: its load ends there.
{ printf '<object><param name="CL0" value="TAB:A,TEXT:a">\n<param name="CL1" value="TAB:A,TEXT:'
  head -c 100000000 /dev/zero | tr '\0' 'x'
  printf '">\n<param name="CL2" value="TAB:A,TEXT:c"></object>\n'; } >"$work/huge.html"
expect_exit 1 "$zortab" check "$work/huge.html"
expect_line "$out" 'huge.html:2: dropped: CL1, the value is longer than the 524287 characters'
expect_line "$out" 'huge.html:3: dropped: CL2, not loaded'
rm -f "$work/huge.txt" "$work/huge.html"

echo "$checks checks, $failures failures"
[ "$failures" -eq 0 ]
