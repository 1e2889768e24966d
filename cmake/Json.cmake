# nlohmann-json, a header-only library. Native builds take the system's CMake
# package. A cross build for Windows must not: that package points at the
# host's /usr/include, which would put glibc's headers before MinGW's. There
# the headers alone are copied into the build tree and used from there.
if(CMAKE_CROSSCOMPILING)
  find_path(RZ_NLOHMANN_JSON_DIR nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT RZ_NLOHMANN_JSON_DIR)
    message(FATAL_ERROR "nlohmann/json.hpp not found (Debian package nlohmann-json3-dev)")
  endif()
  set(staged ${CMAKE_BINARY_DIR}/third-party/include)
  file(COPY ${RZ_NLOHMANN_JSON_DIR}/nlohmann DESTINATION ${staged})
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${staged})
else()
  find_package(nlohmann_json 3.10 REQUIRED)
endif()
