# Every target of the project compiles with these warnings. They are errors in
# the project's own builds (scripts/build.sh and CI set RZ_WERROR=ON); a plain
# cmake build only warns, so that a newer compiler's new warnings do not stop it.
option(RZ_WERROR "Treat compiler warnings as errors" OFF)

function(rz_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
    -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-align
    -Wformat=2 -Wimplicit-fallthrough)
  if(RZ_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
