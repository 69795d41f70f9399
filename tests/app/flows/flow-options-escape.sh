#!/usr/bin/env bash
# Options, Browse, the path of another archive typed into the file dialog
# and Enter; then one Escape closes the options dialog, and the settings
# file is as it was.
#
#   flow-options-escape.sh TESSEL HELPER
source "$(dirname "$0")/flow-support.sh"

"$helper" archive "$scratch/MAINDAT.WAR"
mkdir "$scratch/other"
"$helper" archive "$scratch/other/MAINDAT.WAR"
write_settings 160 "$scratch/MAINDAT.WAR"
cp "$settings" "$scratch/settings-before"
start_screen
start_tessel

keys alt+o
find_window '^Tessel Options$' >/dev/null
keys alt+b
find_window '^Please locate MAINDAT\.WAR$' >/dev/null
# The file name's completion list opens on a key typed once the dialog has
# read the folder: the last one comes a moment after the others.
other=$scratch/other/MAINDAT.WAR
type_text "${other%?}"
sleep 1
type_text "${other: -1}"
sleep 0.5
keys Return
wait_until 15 "the archive dialog did not close" window_gone '^Please locate MAINDAT'
window_shown '^Tessel Options$' || fail "the options dialog closed with the archive dialog"
keys Escape
wait_until 5 "one Escape did not close the options dialog" window_gone '^Tessel Options$'
cmp -s "$settings" "$scratch/settings-before" || fail "the settings file changed: $(cat "$settings")"

check_answers
close_tessel
cmp -s "$settings" "$scratch/settings-before" || fail "the settings file changed at the end: $(cat "$settings")"
