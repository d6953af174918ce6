# Script clients: every tests/scripts/*.vbs and *.js, and the shipped examples/*.vbs and
# *.js, is one CTest test, run by cscript in the build's Wine prefix against the
# registered control. Included by cmake/windows.cmake.
#
# Wine's cscript exits 0 on an uncaught script error and prints nothing, so a run passes
# only on the line each script prints after all of its expected checks have held.
if(NOT ZORTAB_WINE_REGISTRATION)
  return()
endif()
file(GLOB ZORTAB_SCRIPT_CLIENTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scripts/*.vbs
     ${CMAKE_SOURCE_DIR}/tests/scripts/*.js ${CMAKE_SOURCE_DIR}/examples/*.vbs
     ${CMAKE_SOURCE_DIR}/examples/*.js)
foreach(script ${ZORTAB_SCRIPT_CLIENTS})
  get_filename_component(name ${script} NAME)
  # cscript takes an argument starting with "/" for a switch: pass a drive path.
  string(REPLACE "/" "\\" script_winpath "Z:${script}")
  add_test(NAME script.${name}
           COMMAND ${ZORTAB_WINE_LAUNCHER} cscript //nologo ${script_winpath})
  set_tests_properties(script.${name} PROPERTIES
    FIXTURES_REQUIRED "wine_session;registered" RESOURCE_LOCK wine_registry TIMEOUT 300
    PASS_REGULAR_EXPRESSION "all [0-9]+ checks passed"
    FAIL_REGULAR_EXPRESSION "FAIL ")
endforeach()
