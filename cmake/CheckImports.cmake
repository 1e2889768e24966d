# cmake -DOBJDUMP=... -DPROGRAM=x.exe -P CheckImports.cmake
# Fails when PROGRAM imports a DLL that is not part of Windows itself.
cmake_minimum_required(VERSION 3.22)
set(system_dlls
  kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
  ws2_32.dll setupapi.dll cfgmgr32.dll bcrypt.dll iphlpapi.dll msvcrt.dll ucrtbase.dll
  comctl32.dll comdlg32.dll winmm.dll version.dll)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
set(foreign "")
set(all "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  list(APPEND all ${dll})
  if(NOT lower IN_LIST system_dlls AND NOT lower MATCHES "^api-ms-win-")
    list(APPEND foreign ${dll})
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${PROGRAM} needs DLLs that Windows does not have: ${foreign}")
endif()
get_filename_component(name ${PROGRAM} NAME)
string(REPLACE ";" " " all "${all}")
message(STATUS "${name} imports system DLLs only: ${all}")
