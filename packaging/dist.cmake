# The distribution, included by cmake/windows.cmake: the C++ example client (both builds,
# so that it cannot rot), and in the x64 build the zip and the installer with both
# architectures' controls (the x86 one from a windows-x86 build that this build drives),
# and the installer's round trip under Wine as a test.

# --- The early-bound C++ example ----------------------------------------------------
add_executable(catalogue_client ${CMAKE_SOURCE_DIR}/examples/catalogue_client.cpp)
target_link_libraries(catalogue_client PRIVATE zortab_guids ole32 oleaut32 uuid)
target_link_options(catalogue_client PRIVATE ${ZORTAB_STATIC_LINK})
if(ZORTAB_WINE_REGISTRATION)
  add_test(NAME example.catalogue_client COMMAND catalogue_client)
  set_tests_properties(example.catalogue_client PROPERTIES
    FIXTURES_REQUIRED "wine_session;registered" RESOURCE_LOCK wine_registry TIMEOUT 300
    PASS_REGULAR_EXPRESSION "all [0-9]+ checks passed" FAIL_REGULAR_EXPRESSION "FAIL ")
endif()

if(NOT ZORTAB_SYSKIND STREQUAL "SYS_WIN64")
  return()
endif()
option(ZORTAB_DIST "Build the distribution zip and installer with the x64 build" ON)
if(NOT ZORTAB_DIST)
  return()
endif()
find_program(ZORTAB_MAKENSIS makensis REQUIRED)
# By default the x86 build beside this one: build/windows-x64 takes build/windows-x86.
string(REGEX REPLACE "x64$" "x86" zortab_x86_build "${CMAKE_BINARY_DIR}")
if(zortab_x86_build STREQUAL CMAKE_BINARY_DIR)
  set(zortab_x86_build ${CMAKE_BINARY_DIR}/x86)
endif()
set(ZORTAB_X86_BUILD_DIR ${zortab_x86_build} CACHE PATH
    "The windows-x86 build whose DLL goes into the distribution (configured when missing)")

# The x86 control: configured on first use, brought up to date on every build (a no-op
# when nothing changed).
set(ZORTAB_X86_DLL ${ZORTAB_X86_BUILD_DIR}/ZorTabList.dll)
set(ZORTAB_X86_TLB ${ZORTAB_X86_BUILD_DIR}/resources/ZorTabList.tlb)
add_custom_target(zortab_x86_control ALL
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DBINARY=${ZORTAB_X86_BUILD_DIR}
          -DGENERATOR=${CMAKE_GENERATOR} -P ${CMAKE_SOURCE_DIR}/packaging/build_x86.cmake
  BYPRODUCTS ${ZORTAB_X86_DLL} ${ZORTAB_X86_TLB}
  COMMENT "x86 control in ${ZORTAB_X86_BUILD_DIR}"
  USES_TERMINAL
  VERBATIM)

set(ZORTAB_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(ZORTAB_ZIP ${ZORTAB_DIST_DIR}/ZorTabList-${ZORTAB_VERSION}.zip)
set(ZORTAB_SETUP ${ZORTAB_DIST_DIR}/ZorTabList-${ZORTAB_VERSION}-setup.exe)
# The author's reference is written beside the code; whatever docs/ holds at configure
# time is shipped.
file(GLOB ZORTAB_DOCS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.md
     ${CMAKE_SOURCE_DIR}/docs/pictures.png)
set(ZORTAB_EXAMPLES ${CMAKE_SOURCE_DIR}/examples/catalogue.html
    ${CMAKE_SOURCE_DIR}/examples/catalogue_client.vbs ${CMAKE_SOURCE_DIR}/examples/catalogue_client.js
    ${CMAKE_SOURCE_DIR}/examples/catalogue_client.cpp)
string(REPLACE "," "." ZORTAB_VERSION4 "${ZORTAB_VERSION_COMMAS}")
# The file lists reach the packaging script through a generated file: lists do not pass
# through a custom command's arguments intact.
set(ZORTAB_DIST_LISTS ${CMAKE_BINARY_DIR}/dist-files.cmake)
file(GENERATE OUTPUT ${ZORTAB_DIST_LISTS} CONTENT "\
set(VERSION \"${ZORTAB_VERSION}\")
set(VERSION4 \"${ZORTAB_VERSION4}\")
set(OUT \"${ZORTAB_DIST_DIR}\")
set(MAKENSIS \"${ZORTAB_MAKENSIS}\")
set(NSI \"${CMAKE_SOURCE_DIR}/packaging/ZorTabList.nsi\")
set(X64 \"$<TARGET_FILE:ZorTabList>;${ZORTAB_TLB}\")
set(X86 \"${ZORTAB_X86_DLL};${ZORTAB_X86_TLB}\")
set(INCLUDE \"${ZORTAB_GEN}/ZorTabList.h;${ZORTAB_GEN}/ZorTabList_i.c\")
set(EXAMPLES \"${ZORTAB_EXAMPLES}\")
set(DOCS \"${ZORTAB_DOCS}\")
set(LICENSE \"${CMAKE_SOURCE_DIR}/LICENSE\")
")
add_custom_command(
  OUTPUT ${ZORTAB_ZIP} ${ZORTAB_SETUP}
  COMMAND ${CMAKE_COMMAND} -DLISTS=${ZORTAB_DIST_LISTS} -P ${CMAKE_SOURCE_DIR}/packaging/make_dist.cmake
  DEPENDS ZorTabList ${ZORTAB_X86_DLL} ${ZORTAB_X86_TLB} ${ZORTAB_IDL_OUTPUTS} ${ZORTAB_EXAMPLES}
          ${ZORTAB_DOCS} ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/packaging/ZorTabList.nsi
          ${CMAKE_SOURCE_DIR}/packaging/make_dist.cmake ${ZORTAB_DIST_LISTS}
  COMMENT "dist: ZorTabList-${ZORTAB_VERSION}.zip and the installer"
  VERBATIM)
add_custom_target(zortab_dist ALL DEPENDS ${ZORTAB_ZIP} ${ZORTAB_SETUP})

# Install, check, use and uninstall in a fresh prefix of its own, with the launcher's
# conventions (private prefix in the build tree, its own Xvfb, timeouts): 64-bit Windows
# with both controls, and 32-bit Windows with the x86 one.
set(ZORTAB_IDENTITIES CLSID={5C2E9A6E-3D7B-11D2-8E4F-0060B3A1C7D2}
    LIBID={5C2E9A61-3D7B-11D2-8E4F-0060B3A1C7D2} IID={5C2E9A6D-3D7B-11D2-8E4F-0060B3A1C7D2})
get_filename_component(zortab_wine_dir ${ZORTAB_WINE} DIRECTORY)
foreach(kind win64 win32)
  if(kind STREQUAL "win64")
    set(name installer_round_trip)
    set(loader ${ZORTAB_WINE})
  else()
    set(name installer_round_trip_win32)
    set(loader ${zortab_wine_dir}/wine)
  endif()
  add_test(NAME ${name}
    COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/installer_test.sh ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh
            ${loader} ${kind} ${CMAKE_BINARY_DIR}/${name}-prefix ${ZORTAB_SETUP}
            ${CMAKE_SOURCE_DIR}/examples/catalogue_client.vbs ${ZORTAB_IDENTITIES})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600
    PASS_REGULAR_EXPRESSION "installer round trip passed" FAIL_REGULAR_EXPRESSION "FAIL ")
endforeach()
