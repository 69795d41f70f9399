# The web page as part of the native build: the target tessel_web_page
# configures web/ with emcmake in ${CMAKE_BINARY_DIR}/web, hands it the
# tileset generator built here, and builds it, which writes the page to
# ${CMAKE_BINARY_DIR}/web/dist. `make web` copies that folder to web/dist.
include(ExternalProject)

find_program(TESSEL_EMCMAKE emcmake)
if(NOT TESSEL_EMCMAKE)
  message(FATAL_ERROR "emcmake not found: scripts/install-deps.sh installs emscripten "
                      "(or configure with -DTESSEL_BUILD_WEB=OFF)")
endif()

set(TESSEL_WEB_DIST ${CMAKE_BINARY_DIR}/web/dist)
ExternalProject_Add(tessel_web_page
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/web
  BINARY_DIR ${CMAKE_BINARY_DIR}/web
  CONFIGURE_COMMAND ${TESSEL_EMCMAKE} ${CMAKE_COMMAND} -S <SOURCE_DIR> -B <BINARY_DIR> -G Ninja
                    -DCMAKE_BUILD_TYPE=Release
                    -DTESSEL_HOST_TILESET_GENERATOR=$<TARGET_FILE:tessel_generate_tileset>
                    -DTESSEL_WEB_DIST=${TESSEL_WEB_DIST}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR>
  INSTALL_COMMAND ""
  # The web build knows its own sources: it is asked every time.
  BUILD_ALWAYS ON
  DEPENDS tessel_generate_tileset
  BUILD_BYPRODUCTS ${TESSEL_WEB_DIST}/index.html
)
