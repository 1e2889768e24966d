# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads
# variant, which gives std::thread and std::mutex). Used by
# `scripts/build.sh windows`; the programs are linked statically, so the .exe
# files need no DLL beside them on a bare Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RZ_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RZ_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RZ_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${RZ_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RZ_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config would otherwise hand the host's libraries (ALSA) to this build.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${RZ_MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# No libstdc++, libgcc or winpthread DLL at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs the build runs (test discovery) go through Wine.
find_program(RZ_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(RZ_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RZ_WINE64})
endif()
