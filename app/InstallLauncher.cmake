# Runs at install time, when the prefix is known (cmake --install --prefix,
# CPack): writes the launcher with the installed paths of the program and
# its texts. Expects QE_LAUNCHER_IN, QE_LAUNCHER_OUT, QE_BINDIR and QE_DATADIR
# (relative to the prefix unless absolute).
foreach(dir QE_BINDIR QE_DATADIR)
    if(NOT IS_ABSOLUTE "${${dir}}")
        set(${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
    endif()
endforeach()
configure_file("${QE_LAUNCHER_IN}" "${QE_LAUNCHER_OUT}" @ONLY)
file(INSTALL DESTINATION "${QE_BINDIR}" TYPE PROGRAM FILES "${QE_LAUNCHER_OUT}")
