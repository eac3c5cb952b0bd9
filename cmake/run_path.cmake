# pelund_install_run_path(TARGET): an installed program finds the library of
# the same installation from its own place, whatever the prefix (bin/ and
# sbin/ both sit beside the library folder). Package builds, which put the
# library in the system's folder, configure with CMAKE_SKIP_INSTALL_RPATH=ON.
function(pelund_install_run_path target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
endfunction()
