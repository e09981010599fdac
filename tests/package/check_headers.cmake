# cmake -DOBJDUMP=<mingw objdump> -DPROGRAM=<tarnupd.exe> -P check_headers.cmake
# Fails naming each header value that differs from what ships: a 32-bit x86 PE32 image for the
# Windows GUI subsystem that imports system libraries only.
cmake_minimum_required(VERSION 3.20)

# What the agent imports today: the system's own libraries and the C runtime every Windows has.
# Anything else would have to ship beside it; another system library is added here on purpose.
set(system_libraries ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL)

if(NOT EXISTS "${PROGRAM}")
  message(FATAL_ERROR "${PROGRAM} is missing: build tarnupd first")
endif()
set(wrong "")

# The machine word of the file header, after "PE\0\0" at the offset that e_lfanew (at 0x3C) holds.
file(READ "${PROGRAM}" lfanew OFFSET 60 LIMIT 4 HEX)
string(REGEX REPLACE "(..)(..)(..)(..)" "0x\\4\\3\\2\\1" lfanew "${lfanew}")
math(EXPR machine_at "${lfanew} + 4")
file(READ "${PROGRAM}" machine OFFSET ${machine_at} LIMIT 2 HEX)
string(REGEX REPLACE "(..)(..)" "0x\\2\\1" machine "${machine}")
if(NOT machine STREQUAL "0x014c")
  list(APPEND wrong "machine ${machine} instead of i386 (0x014c)")
endif()

# The header line `name` must match `value`; else says what it holds instead.
function(expect_line name value what)
  if(NOT headers MATCHES "(^|\n)${name}[\t ]+${value}\n")
    string(REGEX MATCH "(^|\n)${name}[\t ][^\n]*" found "${headers}")
    string(REGEX REPLACE "[\t\n ]+" " " found "${found}")
    string(STRIP "${found}" found)
    list(APPEND wrong "'${found}' instead of ${what}")
    set(wrong "${wrong}" PARENT_SCOPE)
  endif()
endfunction()

execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE headers ERROR_VARIABLE error RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  string(STRIP "${error}" error)
  list(APPEND wrong "${OBJDUMP} cannot read it as a 32-bit Windows image: ${error}")
else()
  expect_line("[^\n]*:[\t ]+file format" "pei-i386" "file format pei-i386")
  expect_line("Magic" "010b[\t ]+\\(PE32\\)" "a PE32 image (magic 010b), not PE32+")
  expect_line("Subsystem" "00000002[\t ]+\\(Windows GUI\\)" "the Windows GUI subsystem (2)")
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
  if(NOT imports)
    list(APPEND wrong "no imported DLL found in its headers")
  endif()
endif()

list(JOIN system_libraries ", " allowed)
set(names "")
foreach(import IN LISTS imports)
  string(REPLACE "DLL Name: " "" library "${import}")
  string(STRIP "${library}" library)
  list(APPEND names "${library}")
  string(TOUPPER "${library}" upper)
  if(NOT upper IN_LIST system_libraries)
    list(APPEND wrong "imports ${library}, which is none of the system libraries ${allowed}")
  endif()
endforeach()

if(wrong)
  list(JOIN wrong "\n  " text)
  message(FATAL_ERROR "${PROGRAM} is not what ships:\n  ${text}")
endif()
list(JOIN names ", " names)
message(STATUS "${PROGRAM}: pei-i386, PE32, machine i386, Windows GUI; imports ${names}")
