#!/usr/bin/env bash
# The preview of a minimap of 2000 pixels, larger than the screen: the
# preview window's title bar lies on the screen's available area, and the
# window can be dragged by it until its close box shows, and closed there.
#
#   flow-large-preview.sh TESSEL HELPER
source "$(dirname "$0")/flow-support.sh"

"$helper" archive "$scratch/MAINDAT.WAR"
write_scenarios 1
write_settings 2000 "$scratch/MAINDAT.WAR"
start_screen
start_tessel

add_by_typing "${scenario_names[0]}"
keys alt+p
preview=$(find_window "^${scenario_names[0]}\$" 60)
sleep 0.5

# The frame's title bar: the strip of the frame's top border above the
# client area, as wide as the frame.
title_bar() {
  local x y width height left right top
  read -r x y width height < <(client_area "$preview")
  read -r left right top _ < <(xprop -id "$preview" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  echo $((x - left)) $((y - top)) $((width + left + right)) "$top"
}
# One area per desktop: the first.
read -r area_x area_y area_width area_height _ < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g')
read -r bar_x bar_y bar_width bar_height < <(title_bar)
((bar_height > 0)) || fail "the preview window has no title bar"
((bar_y >= area_y && bar_y + bar_height <= area_y + area_height && bar_x >= area_x && bar_x < area_x + area_width)) ||
  fail "the title bar at ($bar_x, $bar_y) is not on the available area ($area_x, $area_y) ${area_width}x$area_height"

# Dragged by its title to the left until the right end of the title bar
# with the close box is on the screen.
shift_left=$((bar_x + bar_width - (area_x + area_width) + 40))
grip_x=$((area_x + area_width - 20))
grip_y=$((bar_y + bar_height / 2))
xdotool mousemove "$grip_x" "$grip_y" mousedown 1
xdotool mousemove $((grip_x - shift_left / 2)) "$grip_y"
xdotool mousemove $((grip_x - shift_left)) "$grip_y" mouseup 1
# The window manager may take a while to catch up with the pointer.
moved_left() {
  read -r moved_x moved_y moved_width _ < <(title_bar)
  ((moved_x + moved_width <= area_x + area_width))
}
wait_until 15 "dragging the title bar did not move the preview window left far enough" moved_left
# The close box is the last button at the right end of the title bar.
xdotool mousemove $((moved_x + moved_width - bar_height / 2 - 2)) $((moved_y + bar_height / 2)) click 1
wait_until 15 "the close box did not close the preview window" window_gone "^${scenario_names[0]}\$"

check_answers
close_tessel
