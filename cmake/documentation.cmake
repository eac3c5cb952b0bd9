# The reference (Doxygen, from the public headers) and the manual pages
# (scdoc, from man/NAME.SECTION.scd). Built when both programs are found, or
# when PELUND_DOCS=ON asks for them.
find_program(PELUND_DOXYGEN doxygen)
find_program(PELUND_SCDOC scdoc)
if(PELUND_DOXYGEN AND PELUND_SCDOC)
  set(pelund_docs_default ON)
else()
  set(pelund_docs_default OFF)
endif()
option(PELUND_DOCS "Build the reference and the manual pages" ${pelund_docs_default})
if(NOT PELUND_DOCS)
  return()
endif()
if(NOT PELUND_DOXYGEN OR NOT PELUND_SCDOC)
  message(FATAL_ERROR "PELUND_DOCS needs doxygen and scdoc")
endif()

set(reference_out ${CMAKE_BINARY_DIR}/docs)
file(GLOB reference_inputs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/include/pelund/*.h
  ${PROJECT_SOURCE_DIR}/docs/reference/* ${PROJECT_SOURCE_DIR}/docs/examples.md
  ${PROJECT_SOURCE_DIR}/docs/examples/*)
add_custom_command(OUTPUT ${reference_out}/html/index.html
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${reference_out}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${reference_out}
  COMMAND ${CMAKE_COMMAND} -E env PELUND_DOCS_OUT=${reference_out}
          ${PELUND_DOXYGEN} docs/reference/Doxyfile
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  DEPENDS ${reference_inputs}
  COMMENT "Building the reference")
add_custom_target(reference ALL DEPENDS ${reference_out}/html/index.html)
install(DIRECTORY ${reference_out}/html DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT doc)

# Each page goes with what it describes: the library's page with the
# reference, the tool's with the tool, the server's with the server.
set(pelund_man_component_1 tools)
set(pelund_man_component_3 doc)
set(pelund_man_component_8 server)
file(GLOB man_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/man/*.scd)
set(man_pages "")
foreach(source ${man_sources})
  get_filename_component(page ${source} NAME_WLE)
  string(REGEX REPLACE "^.*\\.([1-9])$" "\\1" section ${page})
  set(page_out ${CMAKE_BINARY_DIR}/man/${page})
  add_custom_command(OUTPUT ${page_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${PELUND_SCDOC} < ${source} > ${page_out}
    DEPENDS ${source}
    COMMENT "Manual page ${page}")
  list(APPEND man_pages ${page_out})
  install(FILES ${page_out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section}
    COMPONENT ${pelund_man_component_${section}})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages})
