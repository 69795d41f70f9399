#!/usr/bin/env bash
# A list wider than its view (a horizontal scroll bar shows) is emptied in
# one of three ways: clear, select all and remove, or a batch run that
# writes every minimap. The program must then still answer, be idle, keep
# nothing in the list, and at Alt+F4 end well and store the last folder.
#
#   flow-empty-list.sh TESSEL HELPER clear|remove|batch
source "$(dirname "$0")/flow-support.sh"
way=${1:?clear, remove or batch}

"$helper" archive "$scratch/MAINDAT.WAR"
write_scenarios 2
write_settings 32 "$scratch/MAINDAT.WAR"
start_screen
start_tessel

add_by_typing "${scenario_names[@]}"
read -r x y width height < <(client_area "$main")
grab added
"$helper" list "$scratch/added.png" "$x" "$y" "$width" "$height" entries || fail "the added scenarios do not show"

case $way in
  clear)
    keys alt+c
    ;;
  remove)
    # A click on the first entry, everything selected, then Remove.
    read -r list_x list_y _ _ < <("$helper" list "$scratch/added.png" "$x" "$y" "$width" "$height" where)
    xdotool mousemove $((list_x + 20)) $((list_y + 6)) click 1
    keys ctrl+a alt+r
    ;;
  batch)
    keys alt+b
    find_window '^Save BMPs in$' >/dev/null
    keys Return
    wait_until 60 "the batch run did not write both minimaps" \
      test -e "$scenarios/${scenario_names[0]%.pud}.bmp" -a -e "$scenarios/${scenario_names[1]%.pud}.bmp"
    ;;
  *)
    fail "unknown way of emptying the list: $way"
    ;;
esac

check_answers
check_idle
grab emptied
"$helper" list "$scratch/emptied.png" "$x" "$y" "$width" "$height" empty || fail "the list was not emptied"
close_tessel
grep -qx "PUDDir=$scenarios/" "$settings" || fail "the last folder was not stored: $(grep PUDDir "$settings")"
