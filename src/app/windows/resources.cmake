# MARELO.exe's resources: the icon made from icon/marelo.xpm at build time, the
# version record and the manifest, all from the identity variables.
enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(resources ${CMAKE_CURRENT_BINARY_DIR}/resources)
set(MARELO_ICON_IMAGE ${resources}/icon_image.bin)
set(MARELO_ICON_GROUP ${resources}/icon_group.bin)
set(MARELO_MANIFEST ${resources}/marelo.manifest)

add_custom_command(
  OUTPUT ${resources}/marelo.ico ${MARELO_ICON_IMAGE} ${MARELO_ICON_GROUP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${resources}
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/make_icon.py
          ${CMAKE_CURRENT_SOURCE_DIR}/icon/marelo.xpm ico ${resources}/marelo.ico
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/icon_resources.py
          ${resources}/marelo.ico 30001 ${MARELO_ICON_IMAGE} ${MARELO_ICON_GROUP}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/icon/marelo.xpm ${PROJECT_SOURCE_DIR}/tools/make_icon.py
          ${PROJECT_SOURCE_DIR}/tools/icon_resources.py
  COMMENT "Making the icon resources"
  VERBATIM)

configure_file(${CMAKE_CURRENT_LIST_DIR}/marelo.manifest.in ${MARELO_MANIFEST} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/marelo.rc.in ${resources}/marelo.rc @ONLY)

target_sources(marelo PRIVATE ${resources}/marelo.rc)
set_source_files_properties(${resources}/marelo.rc PROPERTIES
  OBJECT_DEPENDS "${MARELO_ICON_IMAGE};${MARELO_ICON_GROUP};${MARELO_MANIFEST}")
# Small: only what is used, no symbols.
target_link_options(marelo PRIVATE -s -Wl,--gc-sections)
