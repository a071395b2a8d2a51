#!/usr/bin/env bash
# The Debian package's changelog.gz and copyright as cmake/debianDocs.cmake
# writes them, from a changelog whose dates cross January, February and a leap
# day and whose text needs wrapping: dpkg-parsechangelog reads every entry
# without a warning, each is signed on its own date with the right weekday, no
# line passes 80 columns, the gzip file holds no name or time stamp, and the
# copyright names LICENSE's holder, followed by the third-party paragraphs. A
# newest section other than the project's version stops the build.
# Usage: debianDocs.sh DEBIAN_DOCS_SCRIPT LICENSE THIRD_PARTY WORK_DIR
set -uo pipefail
script=$1
licence=$2
third_party=$3
work=$4
failed=0
fail() {
  echo "$*"
  failed=1
}
rm -rf "$work"
mkdir -p "$work"
cat >"$work/CHANGELOG.md" <<'EOF'
# Changes

What each version brought.

## 1.0.0 (2028-02-29)

A leap day; semicolons; `code`, and a paragraph long enough to be wrapped twice
over into lines of the changelog's own width, as Debian's changelog wants them.

### Kit
- An item long enough to need wrapping onto a second line, and then onto a
  third, as every item in a Debian changelog is indented four columns.

## 0.9.0 (2027-01-01)

### Tools
- Short.

## 0.8.0 (2026-12-31)

First.
EOF
write() { # version
  cmake -DOUT="$work/out" -DLICENSE="$licence" -DTHIRD_PARTY="$third_party" \
    -DCHANGELOG="$work/CHANGELOG.md" -DNAME=Test \
    -DPACKAGE=test-package -DVERSION="$1" "-DMAINTAINER=Tester <tester@example.invalid>" \
    -P "$script" >"$work/cmake.log" 2>&1
}

write 1.0.0 || fail "debianDocs.cmake failed: $(cat "$work/cmake.log")"
zcat "$work/out/changelog.gz" >"$work/changelog"
dpkg-parsechangelog -l "$work/changelog" --all --format rfc822 >"$work/entries" 2>"$work/warnings"
[ -s "$work/warnings" ] && fail "dpkg-parsechangelog warns: $(cat "$work/warnings")"
versions=$(sed -n 's/^Version: //p' "$work/entries" | paste -sd ' ')
[ "$versions" = "1.0.0 0.9.0 0.8.0" ] || fail "the entries' versions are '$versions'"
for day in 2028-02-29 2027-01-01 2026-12-31; do
  wanted=$(LC_ALL=C date -u -R -d "$day 12:00")
  grep -qxF " -- Tester <tester@example.invalid>  $wanted" "$work/changelog" || fail "no entry signed '$wanted'"
done
awk 'length > 80 { print "line " NR " is " length " columns: " $0; bad = 1 } END { exit bad }' \
  "$work/changelog" || failed=1
grep -q '; semicolons; code,' "$work/changelog" || fail "the text lost its semicolons or kept its backticks"
# gzip -9n: no file name flag (byte 4, bit 3) and a zero time stamp (bytes 5-8).
header=$(od -An -tx1 -j3 -N5 "$work/out/changelog.gz" | tr -d ' \n')
[ "$header" = 0000000000 ] || fail "changelog.gz keeps a name or time stamp (header bytes $header)"

holder=$(sed -n 's/^Copyright (c) //p' "$licence")
grep -qxF "Copyright: $holder" "$work/out/copyright" && grep -qx 'License: Expat' "$work/out/copyright" ||
  fail "copyright does not name '$holder' under Expat: $(cat "$work/out/copyright")"
[ "$(tail -c "$(wc -c <"$third_party")" "$work/out/copyright")" = "$(cat "$third_party")" ] ||
  fail "copyright does not end in the third-party paragraphs"

write 1.1.0 && fail "a newest section other than the version was accepted"
[ "$failed" -eq 0 ] && echo "changelog.gz and copyright as Debian reads them"
exit "$failed"
