# Shared steps of the user-flow tests, sourced by each flow-*.sh. A flow
# runs the real tessel program on a virtual X screen of its own (Xvfb picks
# a free display, so flows run side by side) under the openbox window
# manager, with home, settings and cache folders in a scratch folder, and
# works it with keys and clicks through xdotool, as a person would.
#
# A flow script is called as: flow-NAME.sh TESSEL HELPER [ARGUMENTS]
# (TESSEL the program, HELPER tessel_flow_helper). It ends with status 0
# when the flow went as it should and 1 with the reason otherwise; ctest's
# timeout ends a flow that hangs.

set -euo pipefail

tessel=$1
helper=$2
shift 2

for tool in Xvfb openbox xdotool xwininfo xprop; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing; scripts/install-deps.sh installs it" >&2; exit 1; }
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessel-flow.XXXXXX")
flow_name=$(basename "$0" .sh)
pids=()
tessel_pid=
window_manager_pid=

export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_CACHE_HOME=$scratch/cache
export XDG_RUNTIME_DIR=$scratch/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
settings=$XDG_CONFIG_HOME/tessel.ini
# The folder of the scenarios: with the file names, paths of some 110
# characters, far wider than the list.
scenarios=$scratch/scenarios_in_a_folder_with_a_rather_long_name

finish() {
  local status=$?
  # Only the processes this flow started, newest first.
  local pid
  for pid in $tessel_pid "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  if [[ $status -ne 0 ]]; then
    # What the screen showed is kept beside the test's output.
    for shot in "$scratch"/*.png; do
      [[ -e "$shot" ]] && cp "$shot" "./$flow_name-$(basename "$shot")"
    done
    [[ -e "$scratch/tessel.log" ]] && sed 's/^/tessel: /' "$scratch/tessel.log" >&2
  fi
  rm -rf "$scratch"
}
trap finish EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Runs until the condition (a command) holds, checking every tenth of a
# second, or fails with the message after the seconds given.
wait_until() {
  local seconds=$1 message=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    ((SECONDS < deadline)) || fail "$message"
    sleep 0.1
  done
}

start_screen() {
  local number_file=$scratch/display
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$number_file" >"$scratch/xvfb.log" 2>&1 &
  pids=($! "${pids[@]}")
  wait_until 30 "Xvfb did not start" test -s "$number_file"
  export DISPLAY=:$(cat "$number_file")
  # openbox claims the screen (_NET_SUPPORTING_WM_CHECK) well before it
  # handles events: a window mapped in between is never shown. It runs the
  # startup command once it is ready.
  openbox --sm-disable --startup "touch '$scratch/openbox-ready'" >"$scratch/openbox.log" 2>&1 &
  window_manager_pid=$!
  pids=($! "${pids[@]}")
  wait_until 30 "openbox did not start" test -e "$scratch/openbox-ready"
}

# The settings file: image side for every map size, the archive, and the
# folder the scenario dialog opens in, written without its final separator;
# after an add the program stores it with one.
write_settings() {
  local side=$1 archive=$2
  printf '[Settings]\nSize32=%s\nSize64=%s\nSize96=%s\nSize128=%s\nDspUnits=1\nMainDat=%s\n[Last]\nPUDDir=%s\n' \
    "$side" "$side" "$side" "$side" "$archive" "$scenarios" >"$settings"
}

# Writes count scenarios into the scenario folder; their file names, in
# order, into the array scenario_names.
write_scenarios() {
  local listing
  listing=$("$helper" scenarios "$scenarios" "$1")
  mapfile -t scenario_names <<<"$listing"
}

start_tessel() {
  QT_QPA_PLATFORM=xcb "$tessel" >"$scratch/tessel.log" 2>&1 &
  tessel_pid=$!
  main=$(find_window '^Tessel V1\.1$')
}

# The id of the visible window whose title matches, once the window manager
# has made it the active window, so that keys typed next go to it; fails
# after the seconds given (default 30).
find_window() {
  local seconds=${2:-30} found
  found=$(timeout "$seconds" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
  [[ -n "$found" ]] || fail "no window titled /$1/ appeared"
  wait_until "$seconds" "the window titled /$1/ did not become active" window_active "$found"
  echo "$found"
}

window_active() { [[ "$(xdotool getactivewindow 2>/dev/null)" == "$1" ]]; }

window_shown() { [[ -n "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ]]; }
window_gone() { ! window_shown "$1"; }

# Presses keys in the window with the keyboard focus.
keys() { xdotool key --delay 50 "$@"; }

# Types text into the window with the keyboard focus.
type_text() { xdotool type --delay 20 "$1"; }

# Adds scenarios through the scenario dialog by typing their names, quoted,
# into its file name field.
add_by_typing() {
  keys alt+a
  find_window '^Select one or more PUDs to add to the list$' >/dev/null
  local names=() name
  for name in "$@"; do names+=("\"$name\""); done
  type_text "${names[*]}"
  keys Return
  wait_until 30 "the scenario dialog did not close" window_gone '^Select one or more PUDs'
}

# Adds every scenario of the dialog's folder: the file list gets the focus,
# all of it is selected and Open pressed.
add_all() {
  keys alt+a
  find_window '^Select one or more PUDs to add to the list$' >/dev/null
  sleep 3  # the dialog lists its folder in the background
  keys shift+Tab ctrl+a
  sleep 0.5
  keys alt+o
  wait_until 30 "the scenario dialog did not close" window_gone '^Select one or more PUDs'
}

# "X Y WIDTH HEIGHT" of a window's client area on the screen.
client_area() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                           /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}

grab() { "$helper" grab "$scratch/$1.png"; }

# The program still answers: the options dialog opens and closes again.
check_answers() {
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
  keys alt+o
  find_window '^Tessel Options$' 15 >/dev/null
  keys Escape
  wait_until 15 "the options dialog did not close" window_gone '^Tessel Options$'
}

# The program comes to rest: within 20 seconds there is one in which it
# uses less than a third of a second of processor time.
check_idle() { wait_until 20 "the program keeps working while idle" quiet_second; }

quiet_second() {
  local before after
  before=$(cpu_ticks)
  sleep 1
  after=$(cpu_ticks)
  (((after - before) * 3 < $(getconf CLK_TCK)))
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$tessel_pid/stat"; }

# Closes the main window with Alt+F4 and waits for the program to end well.
close_tessel() {
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
  keys alt+F4
  local status=0
  wait_until 30 "the program did not end after Alt+F4" program_ended
  wait "$tessel_pid" || status=$?
  tessel_pid=
  [[ $status -eq 0 ]] || fail "the program ended with status $status"
}

# Ended, also when not yet waited for.
program_ended() {
  local state
  state=$(awk '/^State:/ {print $2}' "/proc/$tessel_pid/status" 2>/dev/null) || true
  [[ -z "$state" || "$state" == Z ]]
}
