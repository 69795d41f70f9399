#!/usr/bin/env bash
# The bash completion of tessel-cli, loaded the way bash-completion loads
# it: commands, every long option that the help texts list, the values of
# --format, and scenario files and zip archives (map packs) in any letter
# case.
#
# Usage: bash_completion_test.sh COMPLETION_SCRIPT TESSEL_CLI
set -uo pipefail
completion=$1 tessel_cli=$2
if [[ ! -r /usr/share/bash-completion/bash_completion ]]; then
  echo "skipped: bash-completion is not installed"
  exit 77
fi
# bash_completion reads unset variables and returns non-zero on purpose.
set +u
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1090
source "$completion"
failed=0

# The words bash offers after typing line (a trailing blank starts a new word).
complete_line() {
  local line=$1
  COMP_LINE=$line
  COMP_POINT=${#line}
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *' ' ]] && COMP_WORDS+=('')
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _tessel_cli tessel-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}

expect() {
  local line=$1 expected actual
  expected=$(printf '%s\n' "${@:2}" | sort)
  actual=$(complete_line "$line")
  if [[ $actual != "$expected" ]]; then
    echo "FAILED: '$line' offers [$(echo $actual)], expected [$(echo $expected)]"
    failed=1
  fi
}

long_options() { sed -n 's/^ *\(-[a-z], \)\{0,1\}\(--[a-z0-9-]*\).*/\2/p'; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessel-completion-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/sub"
touch "$scratch/a.pud" "$scratch/B.PUD" "$scratch/notes.txt" "$scratch/pack.zip" "$scratch/Old.ZIP"
cd "$scratch" || exit 1

expect 'tessel-cli ' render info gallery demo --help --version
expect 'tessel-cli re' render
expect 'tessel-cli render -f ' bmp png
expect 'tessel-cli render --format p' png
expect 'tessel-cli render ' B.PUD a.pud Old.ZIP pack.zip sub
expect 'tessel-cli info --json ' B.PUD a.pud Old.ZIP pack.zip sub
expect 'tessel-cli demo ' sub
expect 'tessel-cli gallery -o ' sub
expect 'tessel-cli gallery -o sub ' B.PUD a.pud Old.ZIP pack.zip sub
# Every long option of the help texts, and no other; --size64 and its
# kin are listed on the line of --size32.
# shellcheck disable=SC2046
expect 'tessel-cli render --' $("$tessel_cli" render --help | long_options) --size64 --size96 --size128
# shellcheck disable=SC2046
expect 'tessel-cli info --' $("$tessel_cli" info --help | long_options)
# shellcheck disable=SC2046
expect 'tessel-cli gallery --' $("$tessel_cli" gallery --help | long_options) --size64 --size96 --size128

[[ $failed == 0 ]] && echo "completion checked"
exit $failed
