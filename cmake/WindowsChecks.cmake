# A Windows program must start on a bare Windows with nothing beside it: after
# each link, the import table of the .exe is checked for DLLs that are not the
# system's own (a missing DLL makes the program exit silently with code 53).
find_program(RZ_MINGW_OBJDUMP NAMES ${RZ_MINGW_TRIPLE}-objdump x86_64-w64-mingw32-objdump)
function(rz_check_system_dlls_only target)
  if(NOT RZ_MINGW_OBJDUMP)
    message(WARNING "objdump for MinGW not found: the import table of ${target} is not checked")
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${RZ_MINGW_OBJDUMP} -DPROGRAM=$<TARGET_FILE:${target}>
            -P ${CMAKE_SOURCE_DIR}/cmake/CheckImports.cmake
    VERBATIM)
endfunction()
