#!/usr/bin/env bash
# The manual page of sonvara-cli names every command and every option its --help texts offer,
# and both pages render without a warning.
#   manpage-test.sh SONVARA_CLI SOURCE_DIR
set -euo pipefail
cli=$1
src=$2
page=$src/res/man/sonvara-cli.1
# The page's words with troff's escaped hyphens made plain.
words=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page" | tr -c 'A-Za-z0-9-' '\n' | sort -u)
has() { grep -qxF -- "$1" <<<"$words"; }

commands=$("$cli" --help | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z0-9-]*\) .*/\1/p')
[ -n "$commands" ] || { echo "no commands in sonvara-cli --help" >&2; exit 1; }
missing=()
for command in $commands; do
  has "$command" || missing+=("command $command")
  for option in $("$cli" "$command" --help | grep -oE '(^|[ ,[])--?[a-z][a-z0-9-]*' |
                  sed 's/^[ ,[]*//' | sort -u); do
    has "$option" || missing+=("$command $option")
  done
done
if [ ${#missing[@]} -gt 0 ]; then
  printf 'missing from the manual page: %s\n' "${missing[@]}" >&2
  exit 1
fi
for p in "$page" "$src/res/man/sonvara.1"; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$p" 2>&1 >/dev/null || true)
  [ -z "$warnings" ] || { echo "$p: $warnings" >&2; exit 1; }
done
echo "the manual pages name every command and option ($(wc -w <<<"$commands") commands)"
