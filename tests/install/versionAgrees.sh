#!/usr/bin/env bash
# Every place a user reads the version says the project's one number, and the
# licence notice with LICENSE's copyright line: korvel-cli --version, korvel
# --version and the web page's About box, with the licences it links to
# beside the page (the version also in the Debian package's). (The Windows
# programs' file properties are checked by the cross tree's download test.) A
# program or page not built is "-".
# Usage: versionAgrees.sh VERSION KORVEL_CLI KORVEL WEB_INDEX_HTML CPACK_CONFIG LICENSE
set -uo pipefail
version=$1
copyright=$(grep -m 1 '^Copyright ' "$6")
failed=0
expect() { # what, found, wanted
  if [ "$2" != "$3" ]; then
    echo "$1 says '$2', not '$3'"
    failed=1
  fi
}
expect_in() { # what, text, wanted
  if ! grep -qF "$3" <<<"$2"; then
    echo "$1 lacks '$3'"
    failed=1
  fi
}
# A program's --version: its name and version, the copyright line, the licence.
expect_version() { # program, output
  expect "$1 --version" "$(sed -n 1p <<<"$2")" "$1 $version"
  expect "$1 --version's second line" "$(sed -n 2p <<<"$2")" "$copyright"
  expect_in "$1 --version's third line" "$(sed -n 3p <<<"$2")" "MIT licence"
}

expect_version korvel-cli "$("$2" --version)"
if [ "$3" != - ]; then
  expect_version korvel "$(QT_QPA_PLATFORM=offscreen "$3" --version)"
fi
if [ "$4" != - ]; then
  box=$(sed -n '/<dialog id="aboutBox"/,/<\/dialog>/p' "$4")
  expect "the web page's About" "$(grep -o 'Version [0-9][0-9.]*' <<<"$box")" "Version $version"
  expect_in "the web page's About" "$box" "$copyright"
  expect_in "the web page's About" "$box" "MIT licence"
  # The licences it links to come with the page.
  for licence in LICENSE.txt LICENSE-third-party.txt; do
    expect_in "the web page's About" "$box" "href=\"$licence\""
    [ -s "$(dirname "$4")/$licence" ] || expect "the site" "no $licence" "$licence beside the page"
  done
fi
package=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$5")
expect "the Debian package" "$package" "$version"
[ "$failed" -eq 0 ] && echo "version $version and the licence notice everywhere"
exit "$failed"
