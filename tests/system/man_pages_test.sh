#!/usr/bin/env bash
# The manual pages format without a warning from man and groff, each names
# every long option that the program's --help text lists, and each states
# the size limit of scenario files.
#
# Usage: man_pages_test.sh MAN_FOLDER TESSEL_CLI TESSEL_THUMBNAILER
set -uo pipefail
man_folder=$1 tessel_cli=$2 thumbnailer=$3
export LC_ALL=C.UTF-8 MANWIDTH=80
failed=0

for page in "$man_folder"/tessel.1 "$man_folder"/tessel-cli.1 "$man_folder"/tessel-thumbnailer.1; do
  warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
  if [[ -n $warnings ]]; then
    echo "FAILED: $page: $warnings"
    failed=1
  fi
done

# Long options as the help texts list them, at the start of an option line.
options_of() { sed -n 's/^ *\(-[a-z], \)\{0,1\}\(--[a-z0-9-]*\).*/\2/p'; }

check_options() {
  local page=$1 help=$2 option
  for option in $(options_of <<<"$help"); do
    if ! grep -qF -- "${option//-/\\-}" "$man_folder/$page"; then
      echo "FAILED: $page does not describe $option"
      failed=1
    fi
  done
}

# Every page states the size limit of scenario files with the message that
# the programs give a file one byte over it (sparse: nothing on disk).
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
truncate -s $((4 * 1024 * 1024 + 1)) "$work/large.pud"
message=$("$tessel_cli" info "$work/large.pud" | sed 's/^.*large\.pud: //')
if [[ $message != *"4 MiB"* ]]; then
  echo "FAILED: a file over 4 MiB gives \"$message\""
  failed=1
fi
for page in tessel.1 tessel-cli.1 tessel-thumbnailer.1; do
  if ! grep -qF -- "$message" "$man_folder/$page"; then
    echo "FAILED: $page does not state the size limit (\"$message\")"
    failed=1
  fi
done

check_options tessel-cli.1 "$("$tessel_cli" render --help)"
check_options tessel-cli.1 "$("$tessel_cli" info --help)"
check_options tessel-cli.1 "$("$tessel_cli" gallery --help)"
check_options tessel-thumbnailer.1 "$("$thumbnailer" --help)"

[[ $failed == 0 ]] && echo "manual pages checked"
exit $failed
