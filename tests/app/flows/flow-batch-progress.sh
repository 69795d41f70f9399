#!/usr/bin/env bash
# A batch run of several hundred large minimaps, watched on the screen. Once
# the directory chooser has closed and the run has begun, every grab of the
# screen shows the main window as it was before (nothing of the chooser left
# over it) with the list showing its remaining entries; at the end the list
# is empty and the program answers.
#
#   flow-batch-progress.sh TESSEL HELPER COUNT SIDE
source "$(dirname "$0")/flow-support.sh"
count=${1:?number of scenarios}
side=${2:?image side}

# A short folder keeps the numbers that lead the file names in view.
scenarios=$scratch/maps
"$helper" archive "$scratch/MAINDAT.WAR"
write_scenarios "$count"
write_settings "$side" "$scratch/MAINDAT.WAR"
start_screen
start_tessel

add_all
read -r x y width height < <(client_area "$main")
sleep 0.5
grab rest
"$helper" list "$scratch/rest.png" "$x" "$y" "$width" "$height" entries || fail "the added scenarios do not show"

written() { find "$scenarios" -name '*.bmp' | wc -l; }

keys alt+b
find_window '^Save BMPs in$' >/dev/null
# The window manager is slow to take the chooser away: it is stopped while
# the chooser closes, and goes on a moment later.
kill -STOP "$window_manager_pid"
keys Return
sleep 0.3
kill -CONT "$window_manager_pid"
# Grabs while the run goes on; one counts when minimaps were written before
# it and some were still missing after it.
checked=0
grabs=0
last_written=0
stalled_since=$SECONDS
while :; do
  before=$(written)
  ((before < count)) || break
  if ((before > last_written)); then
    last_written=$before
    stalled_since=$SECONDS
  fi
  ((SECONDS - stalled_since < 20)) || fail "the run stopped after $before of $count minimaps"
  grabs=$((grabs + 1))
  grab "run-$grabs"
  after=$(written)
  if ((before > 0 && after < count)); then
    "$helper" batch "$scratch/rest.png" "$scratch/run-$grabs.png" "$x" "$y" "$width" "$height" ||
      fail "grab $grabs, after $before of $count minimaps, is not the window of the run"
    checked=$((checked + 1))
  fi
  rm "$scratch/run-$grabs.png"
done
((checked > 0)) || fail "no grab fell inside the run ($grabs grabs): the run was over too soon"
echo "$checked grabs during the run"

check_answers
check_idle
grab end
"$helper" list "$scratch/end.png" "$x" "$y" "$width" "$height" empty || fail "the list is not empty after the run"
close_tessel
