# The release of the Windows tree: the kanji readings beside the executables, and the target
# `dist`, which writes build/dist/Obel-<version>.zip (the version is the project's).
find_program(OBEL_PYTHON python3 REQUIRED)

# KANJIDIC's readings, without its other fields, in its own line format (tools/make-kanjidic.py),
# beside Obel.exe and obel-scan.exe as in the zip.
set(OBEL_KANJIDIC_SOURCE /usr/share/edict/kanjidic CACHE FILEPATH "KANJIDIC (Debian package kanjidic)")
set(OBEL_KANJIDIC_COPYRIGHT /usr/share/doc/kanjidic/copyright CACHE FILEPATH "KANJIDIC's licence statement")
set(OBEL_KANJIDIC_DOC /usr/share/doc/kanjidic/kanjidic_doc.html CACHE FILEPATH "KANJIDIC's documentation")
set(kanjidic ${CMAKE_BINARY_DIR}/data/kanjidic)
add_custom_command(
  OUTPUT ${kanjidic}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/data
  COMMAND ${OBEL_PYTHON} ${CMAKE_SOURCE_DIR}/tools/make-kanjidic.py ${OBEL_KANJIDIC_SOURCE} ${kanjidic}
  COMMAND ${CMAKE_COMMAND} -E copy ${kanjidic} ${CMAKE_BINARY_DIR}/app/kanjidic
  COMMAND ${CMAKE_COMMAND} -E copy ${kanjidic} ${CMAKE_BINARY_DIR}/cli/kanjidic
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make-kanjidic.py ${OBEL_KANJIDIC_SOURCE}
  COMMENT "Writing the kanji readings of KANJIDIC"
  VERBATIM)
add_custom_target(obel_kanjidic ALL DEPENDS ${kanjidic})

# The reading data the zip carries beside the executables; KANJIDIC's licence asks for its
# documentation to go with it.
set(dist_data ${kanjidic} ${OBEL_KANJIDIC_DOC})
if(EXISTS ${CMAKE_SOURCE_DIR}/data/aozora-readings.utf8)
  list(PREPEND dist_data ${CMAKE_SOURCE_DIR}/data/aozora-readings.utf8)
endif()

get_filename_component(OBEL_DIST_DIR ${CMAKE_BINARY_DIR}/../dist ABSOLUTE)
set(OBEL_DIST_ZIP ${OBEL_DIST_DIR}/Obel-${PROJECT_VERSION}.zip)
add_custom_target(dist
  COMMAND ${OBEL_PYTHON} ${CMAKE_SOURCE_DIR}/tools/make-dist.py ${PROJECT_VERSION} ${OBEL_DIST_ZIP}
          ${CMAKE_SOURCE_DIR} ${OBEL_KANJIDIC_SOURCE} ${OBEL_KANJIDIC_COPYRIGHT}
          $<TARGET_FILE:Obel> $<TARGET_FILE:obel-scan> ${CMAKE_BINARY_DIR}/app/Obel.chm ${dist_data}
  COMMENT "Writing ${OBEL_DIST_ZIP}"
  VERBATIM)
add_dependencies(dist Obel obel-scan obel_kanjidic)
if(TARGET obel_help)
  add_dependencies(dist obel_help)
endif()
