#!/usr/bin/env bash
# The manual pages against the programs they describe: korvel-cli(1) shows
# every command that `korvel-cli --help` lists and every option of each
# command's --help, korvel(1) every option of `korvel --help`, and man formats
# each page without a warning (as lintian asks it to).
# Usage: manPages.sh MAN_DIR KORVEL_CLI KORVEL|- MAN|-
set -uo pipefail
manDir=$1
cli=$2
desktop=$3
man=$4
failed=0
fail() {
  echo "$*"
  failed=1
}

# The options a --help text names, long and short.
options() {
  grep -oE -- '(^|[ ,])--?[a-zA-Z][a-zA-Z-]*' | sed -E 's/^[ ,]//' | sort -u
}

# Fails for every word that is not in the page, as a word of its own; roff
# writes a hyphen of the text as \-.
expectInPage() {
  local page=$1 text word
  shift
  text=$(sed 's/\\-/-/g' "$manDir/$page.1")
  for word; do
    grep -qE -- "(^|[^[:alnum:]-])$word([^[:alnum:]-]|\$)" <<<"$text" || fail "$page(1) does not show $word"
  done
}

help=$("$cli" --help) || fail "korvel-cli --help failed"
mapfile -t commands < <(sed -n '/^Subcommands:/,$p' <<<"$help" | sed -nE 's/^  ([a-z]+) .*/\1/p')
[ ${#commands[@]} -gt 0 ] || fail "korvel-cli --help lists no command"
mapfile -t cliOptions < <(options <<<"$help")
expectInPage korvel-cli "${cliOptions[@]}"
for command in "${commands[@]}"; do
  expectInPage korvel-cli "korvel-cli $command"
  mapfile -t commandOptions < <("$cli" "$command" --help | options)
  expectInPage korvel-cli "${commandOptions[@]}"
done

pages=(korvel-cli)
if [ "$desktop" != - ]; then
  pages+=(korvel)
  mapfile -t desktopOptions < <(QT_QPA_PLATFORM=offscreen "$desktop" --help | options)
  [ ${#desktopOptions[@]} -gt 0 ] || fail "korvel --help lists no option"
  expectInPage korvel "${desktopOptions[@]}"
fi

if [ "$man" != - ]; then
  for page in "${pages[@]}"; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 "$man" --warnings -E UTF-8 -l -Tutf8 -Z "$manDir/$page.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $page(1): $warnings"
  done
fi
exit $failed
