#!/usr/bin/env bash
# The bash completion of sonvara-cli offers every command, and for each command every option its
# --help text names, and the values of the options that take a fixed set.
#   completion-test.sh SONVARA_CLI SOURCE_DIR
set -uo pipefail
cli=$1
src=$2
# shellcheck disable=SC1091
. /usr/share/bash-completion/bash_completion || { echo "bash-completion is not installed" >&2; exit 1; }
# shellcheck source=../../res/completion/sonvara-cli
. "$src/res/completion/sonvara-cli"

offered() {  # offered WORD... : what completing the last word offers, one a line
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _sonvara_cli sonvara-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}"
}

status=0
commands=$("$cli" --help | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z0-9-]*\) .*/\1/p')
first=$(offered sonvara-cli "")
for command in $commands; do
  grep -qxF -- "$command" <<<"$first" || { echo "command $command is not offered" >&2; status=1; }
  options=$(offered sonvara-cli "$command" -)
  for option in $("$cli" "$command" --help | grep -oE '(^|[ ,[])--?[a-z][a-z0-9-]*' |
                  sed 's/^[ ,[]*//' | sort -u); do
    grep -qxF -- "$option" <<<"$options" || { echo "$command: $option is not offered" >&2; status=1; }
  done
done
[ "$(offered sonvara-cli mp3-to-mp3 --bitrate "" | tr '\n' ' ')" = "64 96 128 160 192 256 320 " ] ||
  { echo "--bitrate does not offer the seven rates" >&2; status=1; }
[ "$(offered sonvara-cli wav-to-mp3 --quality h)" = high ] ||
  { echo "--quality h does not complete to high" >&2; status=1; }
[ $status -eq 0 ] && echo "the completion offers every command, option and fixed value"
exit $status
