# What a Windows build needs besides its toolchain file: no desktop program
# and no benchmarks (no Qt or Google Benchmark for MinGW in Debian), wine to
# run what the build makes, and the JSON library's headers, which need no
# build of their own.
set(TESSEL_BUILD_GUI OFF CACHE BOOL "" FORCE)
set(TESSEL_BUILD_BENCH OFF CACHE BOOL "" FORCE)
# GCC 12 warns of overlapping copies inside its own std::string code, where
# there are none (GCC bug 105329).
add_compile_options(-Wno-restrict)
# The compiler's own libraries go into each program and into the thumbnail
# handler, so that none needs a DLL of MinGW's beside it.
add_link_options(-static $<$<CONFIG:Release>:-s>)

if(CMAKE_CROSSCOMPILING)
  # One wine prefix for the whole build folder, made on first use.
  set(TESSEL_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine CACHE PATH "The wine prefix that runs the build's programs")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${TESSEL_WINE_PREFIX})
endif()

# The host's nlohmann/json headers, seen through a folder that holds them
# alone: the host's /usr/include must not mix with MinGW's headers.
if(NOT TARGET nlohmann_json::nlohmann_json)
  find_path(TESSEL_HOST_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  set(json_headers ${CMAKE_BINARY_DIR}/host-json)
  file(MAKE_DIRECTORY ${json_headers})
  file(CREATE_LINK ${TESSEL_HOST_JSON_INCLUDE}/nlohmann ${json_headers}/nlohmann SYMBOLIC)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  target_include_directories(nlohmann_json::nlohmann_json INTERFACE ${json_headers})
  # find_package finds the target made here.
  file(WRITE ${json_headers}/nlohmann_jsonConfig.cmake "# The target is made by cmake/WindowsBuild.cmake.\n")
  file(WRITE ${json_headers}/nlohmann_jsonConfigVersion.cmake
       "set(PACKAGE_VERSION 3)\nset(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
  set(nlohmann_json_DIR ${json_headers} CACHE PATH "" FORCE)
endif()
