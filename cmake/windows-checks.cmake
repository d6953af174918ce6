# Build-time checks of the Windows artefacts, run with cmake -P from windows.cmake.
#   -DMODE=tlb     -DTOOL=<winedump> -DFILE=<x.tlb> -DSYSKIND=SYS_WIN32|SYS_WIN64
#   -DMODE=imports -DTOOL=<objdump>  -DFILE=<x.dll> -DALLOWED=<dll;dll;...>
# A failed check removes the file it judged, so that the next build makes it again
# instead of shipping it.

cmake_minimum_required(VERSION 3.25)

function(check_failed message)
  file(REMOVE "${FILE}")
  message(FATAL_ERROR "${message}")
endfunction()

if(MODE STREQUAL "tlb")
  # widl can write a second, corrupt import of stdole2.tlb; loaders then fail to
  # resolve IDispatch. The library imports exactly one file, so exactly one entry.
  execute_process(COMMAND "${TOOL}" dump "${FILE}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    check_failed("tlb check: ${TOOL} dump ${FILE} failed (${rc})")
  endif()
  string(REGEX MATCHALL "\nImpInfo [0-9]+ {" entries "${dump}")
  list(LENGTH entries count)
  string(REGEX MATCHALL "impfile = [0-9]+ \"[^\"]*\"" files "${dump}")
  string(REGEX MATCH "syskind = [A-Z0-9_]+" syskind "${dump}")
  message(STATUS "tlb check: ${FILE}: ${count} ImpInfo entry, ${files}, ${syskind}")
  if(NOT count EQUAL 1)
    check_failed("tlb check: ${FILE} has ${count} ImpInfo entries, expected exactly 1")
  endif()
  if(NOT syskind STREQUAL "syskind = ${SYSKIND}")
    check_failed("tlb check: ${FILE} has ${syskind}, expected ${SYSKIND}")
  endif()
elseif(MODE STREQUAL "imports")
  # The DLL must load on a bare system: it may import only system DLLs.
  execute_process(COMMAND "${TOOL}" -p "${FILE}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    check_failed("import check: ${TOOL} -p ${FILE} failed (${rc})")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
  set(names)
  set(bad)
  foreach(line ${lines})
    string(REGEX REPLACE "DLL Name: *" "" name "${line}")
    string(STRIP "${name}" name)
    string(TOLOWER "${name}" name)
    list(APPEND names ${name})
    if(NOT name IN_LIST ALLOWED)
      list(APPEND bad ${name})
    endif()
  endforeach()
  list(JOIN names ", " shown)
  message(STATUS "import check: ${FILE} imports ${shown}")
  if(bad)
    check_failed("import check: ${FILE} imports non-system DLLs: ${bad}")
  endif()
else()
  message(FATAL_ERROR "windows-checks: unknown MODE '${MODE}'")
endif()
