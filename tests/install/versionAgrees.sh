#!/usr/bin/env bash
# Every place a user reads the version says the project's one number:
# korvel-cli --version, korvel --version, the web page's About box and the
# Debian package's version. (The Windows programs' file properties are checked
# by the cross tree's download test.) A program or page not built is "-".
# Usage: versionAgrees.sh VERSION KORVEL_CLI KORVEL WEB_INDEX_HTML CPACK_CONFIG
set -uo pipefail
version=$1
failed=0
expect() { # what, found, wanted
  if [ "$2" != "$3" ]; then
    echo "$1 says '$2', not '$3'"
    failed=1
  fi
}

expect "korvel-cli --version" "$("$2" --version)" "korvel-cli $version"
if [ "$3" != - ]; then
  expect "korvel --version" "$(QT_QPA_PLATFORM=offscreen "$3" --version)" "korvel $version"
fi
if [ "$4" != - ]; then
  about=$(sed -n '/<dialog id="aboutBox"/,/<\/dialog>/p' "$4" | grep -o 'Version [0-9][0-9.]*' || true)
  expect "the web page's About" "$about" "Version $version"
fi
package=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$5")
expect "the Debian package" "$package" "$version"
[ "$failed" -eq 0 ] && echo "version $version everywhere"
exit "$failed"
