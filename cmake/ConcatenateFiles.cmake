# Writes the files one after the other into one, an empty line between
# two, for a file built from shared and own parts:
#
#   cmake -DOUTPUT=out.css -DFILES="look.css;gallery.css" -P ConcatenateFiles.cmake
cmake_minimum_required(VERSION 3.25)

# Plain strings, not a list: a style sheet's semicolons would split one.
set(text "")
set(between "")
foreach(file IN LISTS FILES)
  file(READ "${file}" part)
  string(APPEND text "${between}${part}")
  set(between "\n")
endforeach()
file(WRITE "${OUTPUT}.part" "${text}")
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
