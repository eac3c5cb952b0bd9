# The project version is the one place the version is written. The headers'
# version macros must agree with it; configuring fails when they do not.
file(STRINGS ${PROJECT_SOURCE_DIR}/include/pelund/common.h pelund_version_lines
  REGEX "^#define PELUNDLIB_VERSION_(MAJOR|MINOR|PATCH) [0-9]+$")
foreach(part MAJOR MINOR PATCH)
  set(header_${part} "")
  foreach(line ${pelund_version_lines})
    if(line MATCHES "^#define PELUNDLIB_VERSION_${part} ([0-9]+)$")
      set(header_${part} ${CMAKE_MATCH_1})
    endif()
  endforeach()
endforeach()
set(pelund_header_version "${header_MAJOR}.${header_MINOR}.${header_PATCH}")
if(NOT pelund_header_version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "include/pelund/common.h says version ${pelund_header_version}, "
    "the project says ${PROJECT_VERSION}: update PELUNDLIB_VERSION_* in common.h")
endif()
