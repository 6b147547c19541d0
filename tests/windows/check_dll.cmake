# Checks the Windows plug-in binary with the MinGW binutils:
#   cmake -DDLL=path/to/corvane_64.dlx -P check_dll.cmake
# PE32+ x86-64 image, exports exactly PluginProc and PluginVersion, imports
# only Windows system libraries, carries the version resource.
cmake_minimum_required(VERSION 3.25)
find_program(OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)
find_program(WINDRES NAMES x86_64-w64-mingw32-windres REQUIRED)

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump could not read ${DLL}")
endif()

set(problems "")
if(NOT headers MATCHES "file format pei-x86-64")
  string(APPEND problems "not a PE image for x86-64\n")
endif()
if(NOT headers MATCHES "Magic[ \t]+020b")
  string(APPEND problems "not PE32+\n")
endif()
string(FIND "${headers}" "\tDLL\n" dll_flag)
if(dll_flag EQUAL -1)
  string(APPEND problems "not flagged as a DLL\n")
endif()

# Exports: the name table that follows "[Ordinal/Name Pointer] Table".
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[ 0-9]+\\][^\n]*\n)*)" _ "${headers}")
string(REGEX MATCHALL "\\[[ 0-9]+\\][ \t]+[A-Za-z_][A-Za-z0-9_@]*" export_entries "${CMAKE_MATCH_1}")
set(exports "")
foreach(entry IN LISTS export_entries)
  string(REGEX REPLACE "^\\[[ 0-9]+\\][ \t]+" "" name "${entry}")
  list(APPEND exports ${name})
endforeach()
list(SORT exports)
message(STATUS "exports: ${exports}")
if(NOT exports STREQUAL "PluginProc;PluginVersion")
  string(APPEND problems "exports are '${exports}', expected exactly PluginProc and PluginVersion\n")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" import_lines "${headers}")
set(allowed kernel32.dll user32.dll gdi32.dll msvcrt.dll)
foreach(line IN LISTS import_lines)
  string(REGEX REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  message(STATUS "imports: ${dll}")
  if(NOT lower IN_LIST allowed)
    string(APPEND problems "imports ${dll}, which is not a Windows system library\n")
  endif()
endforeach()
if(NOT import_lines)
  string(APPEND problems "no import table found\n")
endif()

execute_process(COMMAND ${WINDRES} -i ${DLL} -O rc OUTPUT_VARIABLE resources RESULT_VARIABLE failed)
if(failed)
  string(APPEND problems "windres could not read the resources\n")
endif()
foreach(expected
    "VALUE \"FileDescription\", \"corvane\""
    "VALUE \"InternalName\", \"corvane\""
    "VALUE \"ProductName\", \"corvane\""
    "VALUE \"OriginalFilename\", \"corvane.dlx\"")
  string(FIND "${resources}" "${expected}" at)
  if(at EQUAL -1)
    string(APPEND problems "version resource lacks: ${expected}\n")
  endif()
endforeach()

foreach(field FILEVERSION PRODUCTVERSION)
  if(NOT resources MATCHES "${field} 3, *1, *9, *0")
    string(APPEND problems "version resource: ${field} is not 3.1.9.0\n")
  endif()
endforeach()

if(problems)
  message(FATAL_ERROR "${DLL}:\n${problems}")
endif()
message(STATUS "${DLL}: PE32+ x86-64 DLL, exports and imports as required, version 3.1.9.0")
