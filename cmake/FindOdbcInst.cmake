# The installer library of the ODBC driver manager (odbcinst), which CMake's
# FindODBC leaves out: gives the imported target OdbcInst::OdbcInst.
find_path(OdbcInst_INCLUDE_DIR odbcinst.h)
find_library(OdbcInst_LIBRARY odbcinst)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(OdbcInst REQUIRED_VARS OdbcInst_LIBRARY OdbcInst_INCLUDE_DIR)
if(OdbcInst_FOUND AND NOT TARGET OdbcInst::OdbcInst)
  add_library(OdbcInst::OdbcInst UNKNOWN IMPORTED)
  set_target_properties(OdbcInst::OdbcInst PROPERTIES
    IMPORTED_LOCATION "${OdbcInst_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${OdbcInst_INCLUDE_DIR}")
endif()
mark_as_advanced(OdbcInst_INCLUDE_DIR OdbcInst_LIBRARY)
