# The Windows side of the build: type library, resources, ZorTabList.dll, and the
# Windows GoogleTest programs run by CTest under Wine. Included by the top-level
# CMakeLists.txt when cross-compiling with one of the MinGW toolchain files, which
# set ZORTAB_MINGW_PREFIX, ZORTAB_WIDL, ZORTAB_WIDL_FLAGS and ZORTAB_WINE.

enable_language(RC)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ZORTAB_SYSKIND SYS_WIN64)
  set(ZORTAB_WINEARCH win64)
else()
  set(ZORTAB_SYSKIND SYS_WIN32)
  set(ZORTAB_WINEARCH win32)
endif()

find_program(ZORTAB_WINEDUMP NAMES winedump winedump-stable PATHS /usr/lib/wine REQUIRED)
find_program(ZORTAB_OBJDUMP NAMES ${ZORTAB_MINGW_PREFIX}-objdump REQUIRED)
find_program(ZORTAB_PYTHON NAMES python3 REQUIRED)

set(ZORTAB_RES ${CMAKE_SOURCE_DIR}/resources)
set(ZORTAB_GEN ${CMAKE_BINARY_DIR}/resources)
set(ZORTAB_CHECKS ${CMAKE_SOURCE_DIR}/cmake/windows-checks.cmake)
file(MAKE_DIRECTORY ${ZORTAB_GEN})
include(${CMAKE_SOURCE_DIR}/cmake/version.cmake)

# --- Type library, header and GUIDs -------------------------------------------------
set(ZORTAB_TLB ${ZORTAB_GEN}/ZorTabList.tlb)
set(ZORTAB_IDL_OUTPUTS ${ZORTAB_TLB} ${ZORTAB_GEN}/ZorTabList.h ${ZORTAB_GEN}/ZorTabList_i.c)
add_custom_command(
  OUTPUT ${ZORTAB_IDL_OUTPUTS}
  COMMAND ${ZORTAB_WIDL} ${ZORTAB_WIDL_FLAGS} -I/usr/include/wine/wine/windows -I${ZORTAB_GEN}
          -h -H ZorTabList.h -t -T ZorTabList.tlb -u -U ZorTabList_i.c
          ${ZORTAB_RES}/ZorTabList.idl
  COMMAND ${CMAKE_COMMAND} -DMODE=tlb -DTOOL=${ZORTAB_WINEDUMP} -DFILE=${ZORTAB_TLB}
          -DSYSKIND=${ZORTAB_SYSKIND} -P ${ZORTAB_CHECKS}
  DEPENDS ${ZORTAB_RES}/ZorTabList.idl ${ZORTAB_CHECKS} ${ZORTAB_GEN}/zortab_version.h
  WORKING_DIRECTORY ${ZORTAB_GEN}
  COMMENT "widl: ZorTabList.tlb, ZorTabList.h, ZorTabList_i.c (${ZORTAB_SYSKIND})"
  VERBATIM)
add_custom_target(zortab_idl DEPENDS ${ZORTAB_IDL_OUTPUTS})

# The interface and class identifiers, once for everybody who links them.
add_library(zortab_guids STATIC ${ZORTAB_GEN}/ZorTabList_i.c)
add_dependencies(zortab_guids zortab_idl)
target_include_directories(zortab_guids PUBLIC ${ZORTAB_GEN} ${ZORTAB_RES} ${CMAKE_SOURCE_DIR})

# --- Pictures -----------------------------------------------------------------------
# Sources are text (resources/pictures/<id>_<name>.txt); the bitmaps are made here.
file(GLOB ZORTAB_PICTURE_SOURCES CONFIGURE_DEPENDS ${ZORTAB_RES}/pictures/*.txt)
list(REMOVE_ITEM ZORTAB_PICTURE_SOURCES ${ZORTAB_RES}/pictures/palette.txt)
set(ZORTAB_PICTURE_IDS 101)
foreach(id RANGE 202 256)
  list(APPEND ZORTAB_PICTURE_IDS ${id})
endforeach()
foreach(id RANGE 301 308)
  list(APPEND ZORTAB_PICTURE_IDS ${id})
endforeach()
set(ZORTAB_BITMAPS)
foreach(id ${ZORTAB_PICTURE_IDS})
  list(APPEND ZORTAB_BITMAPS ${ZORTAB_GEN}/pictures/picture_${id}.bmp)
endforeach()
add_custom_command(
  OUTPUT ${ZORTAB_BITMAPS}
  COMMAND ${ZORTAB_PYTHON} ${ZORTAB_RES}/make_bitmaps.py --palette ${ZORTAB_RES}/pictures/palette.txt
          --ids 101,202-256,301-308 --out ${ZORTAB_GEN}/pictures ${ZORTAB_PICTURE_SOURCES}
  DEPENDS ${ZORTAB_RES}/make_bitmaps.py ${ZORTAB_RES}/pictures/palette.txt ${ZORTAB_PICTURE_SOURCES}
  COMMENT "pictures: bitmaps 101, 202-256, 301-308"
  VERBATIM)

# --- Windows libraries and the DLL --------------------------------------------------
set(ZORTAB_SYSTEM_LIBS ole32 oleaut32 uuid comctl32 gdi32 user32 advapi32 kernel32 urlmon)
set(ZORTAB_ALLOWED_IMPORTS kernel32.dll user32.dll gdi32.dll advapi32.dll comctl32.dll ole32.dll
    oleaut32.dll urlmon.dll msvcrt.dll)
set(ZORTAB_STATIC_LINK -static -static-libgcc -static-libstdc++)
if(ZORTAB_SYSKIND STREQUAL "SYS_WIN32")
  list(APPEND ZORTAB_STATIC_LINK -Wl,--enable-stdcall-fixup)
endif()

# view/win32 and control/com are written as the project goes; each folder becomes a
# static library of what it holds now (an empty folder links nothing).
function(zortab_windows_lib name folder)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_link_libraries(${name} PUBLIC ${ARGN} zortab_guids ${ZORTAB_SYSTEM_LIBS})
    add_dependencies(${name} zortab_idl)
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARGN} zortab_guids ${ZORTAB_SYSTEM_LIBS})
  endif()
endfunction()
zortab_windows_lib(zortab_win32 view/win32 zortab_view)
zortab_windows_lib(zortab_com control/com zortab_control zortab_win32)

# The registration script is embedded when it exists.
set(ZORTAB_RGS ${ZORTAB_RES}/ZorTabList.rgs)
set(ZORTAB_RC ${ZORTAB_RES}/ZorTabList.rc)
set(ZORTAB_RC_DEPENDS ${ZORTAB_TLB} ${ZORTAB_BITMAPS} ${ZORTAB_RES}/resource.h ${ZORTAB_RGS}
    ${ZORTAB_GEN}/zortab_version.h)
set_source_files_properties(${ZORTAB_RC} PROPERTIES OBJECT_DEPENDS "${ZORTAB_RC_DEPENDS}")

add_library(ZorTabList SHARED ${CMAKE_SOURCE_DIR}/cmake/empty.cpp ${ZORTAB_RC}
            ${ZORTAB_RES}/ZorTabList.def)
set_target_properties(ZorTabList PROPERTIES
  PREFIX "" OUTPUT_NAME ZorTabList
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
add_dependencies(ZorTabList zortab_idl)
target_include_directories(ZorTabList PRIVATE
  "$<$<COMPILE_LANGUAGE:RC>:${ZORTAB_GEN};${ZORTAB_GEN}/pictures;${ZORTAB_RES}>")
# The exports named in the .def file pull the module's objects out of zortab_com,
# and with them everything they reach.
target_link_libraries(ZorTabList PRIVATE zortab_com zortab_core ${ZORTAB_SYSTEM_LIBS})
# The shipped DLL carries no symbol tables (-s); the tests link the same objects unstripped.
target_link_options(ZorTabList PRIVATE ${ZORTAB_STATIC_LINK} $<$<CONFIG:Release>:-s>)
add_custom_command(TARGET ZorTabList POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DMODE=imports -DTOOL=${ZORTAB_OBJDUMP}
          "-DFILE=$<TARGET_FILE:ZorTabList>" "-DALLOWED=${ZORTAB_ALLOWED_IMPORTS}"
          -P ${ZORTAB_CHECKS}
  VERBATIM)

# --- Windows tests under Wine -------------------------------------------------------
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(ZORTAB_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(ZORTAB_WINE_LAUNCHER ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh --wine ${ZORTAB_WINE}
    --prefix ${ZORTAB_WINEPREFIX} --arch ${ZORTAB_WINEARCH})
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZORTAB_WINE_LAUNCHER})

# Windows paths of the build's artefacts as Wine sees them (drive Z: is /).
set(ZORTAB_DLL_WINPATH "Z:${CMAKE_BINARY_DIR}/ZorTabList.dll")
set(ZORTAB_TLB_WINPATH "Z:${ZORTAB_TLB}")

# One Xvfb and one persistent wineserver for all Wine tests of a ctest run.
add_test(NAME wine_session_start COMMAND ${ZORTAB_WINE_LAUNCHER} --session start)
add_test(NAME wine_session_stop COMMAND ${ZORTAB_WINE_LAUNCHER} --session stop)
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session TIMEOUT 600)
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session TIMEOUT 120)

# The control registered in the prefix, for tests that create it by CLSID or ProgID.
option(ZORTAB_WINE_REGISTRATION "Register the DLL in the Wine prefix for the Windows tests" ON)
if(ZORTAB_WINE_REGISTRATION)
  add_test(NAME wine_register COMMAND ${ZORTAB_WINE_LAUNCHER} regsvr32 /s ${ZORTAB_DLL_WINPATH})
  add_test(NAME wine_unregister
           COMMAND ${ZORTAB_WINE_LAUNCHER} regsvr32 /s /u ${ZORTAB_DLL_WINPATH})
  set_tests_properties(wine_register PROPERTIES FIXTURES_SETUP registered
                       FIXTURES_REQUIRED wine_session TIMEOUT 120 RESOURCE_LOCK wine_registry)
  set_tests_properties(wine_unregister PROPERTIES FIXTURES_CLEANUP registered
                       FIXTURES_REQUIRED wine_session TIMEOUT 120 RESOURCE_LOCK wine_registry)
endif()

# Every tests/win/<name>.cpp is one Windows GoogleTest program; each of its test
# cases becomes one CTest test run under Wine. Programs listed here do not need the
# control registered (they load the DLL or the .tlb by path); all others get the
# `registered` fixture when it is available. Programs that change the registration
# themselves are listed too, and they and every test of the registered control hold
# the lock `wine_registry`, so that a parallel ctest never runs them side by side.
set(ZORTAB_WINE_TESTS_WITHOUT_REGISTRATION typelib_test resources_test module_test
    dispatch_test registration_test view_contract_test window_input_test window_pixels_test
    control_window_test window_torture_test)
# Programs that move the pointer and the focus of the shared display run alone.
set(ZORTAB_WINE_TESTS_WITH_INPUT window_input_test control_window_test window_torture_test
    atl_host_test ole_frame_test event_reentry_test)
set(ZORTAB_WINE_TESTS_CHANGING_REGISTRATION registration_test)
include(GoogleTest)
function(zortab_wine_test src)
  get_filename_component(name ${src} NAME_WE)
  set(target win_${name})
  add_executable(${target} ${src})
  target_link_libraries(${target} PRIVATE GTest::gtest_main GTest::gmock zortab_com zortab_guids
                        ${ZORTAB_SYSTEM_LIBS})
  # tests/unit for the portable support headers (the recording sink).
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/win
                             ${CMAKE_SOURCE_DIR}/tests/unit)
  target_link_options(${target} PRIVATE ${ZORTAB_STATIC_LINK})
  target_compile_definitions(${target} PRIVATE
    "ZORTAB_DLL_PATH=L\"${ZORTAB_DLL_WINPATH}\"" "ZORTAB_TLB_PATH=L\"${ZORTAB_TLB_WINPATH}\""
    "ZORTAB_SYSKIND_EXPECTED=${ZORTAB_SYSKIND}")
  target_compile_definitions(${target} PRIVATE "ZORTAB_RGS_PATH=L\"Z:${ZORTAB_RGS}\"")
  add_dependencies(${target} ZorTabList)
  # `registered` requires `wine_session` itself, and CTest orders the cleanups
  # after every test that needs them, so one fixture name is enough.
  set(fixture wine_session)
  set(lock)
  if(ZORTAB_WINE_REGISTRATION AND NOT name IN_LIST ZORTAB_WINE_TESTS_WITHOUT_REGISTRATION)
    set(fixture registered)
    set(lock RESOURCE_LOCK wine_registry)
  endif()
  if(name IN_LIST ZORTAB_WINE_TESTS_CHANGING_REGISTRATION)
    set(lock RESOURCE_LOCK wine_registry)
  endif()
  if(name IN_LIST ZORTAB_WINE_TESTS_WITH_INPUT)
    list(APPEND lock RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 300 TEST_PREFIX "${name}."
    PROPERTIES FIXTURES_REQUIRED ${fixture} TIMEOUT 300 ${lock})
endfunction()
file(GLOB ZORTAB_WINE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
foreach(src ${ZORTAB_WINE_TEST_SOURCES})
  zortab_wine_test(${src})
endforeach()
# The torture run on the real views shares the native run's host and checks.
if(TARGET win_window_torture_test)
  target_sources(win_window_torture_test PRIVATE
    ${CMAKE_SOURCE_DIR}/tests/unit/support/torture_host.cpp
    ${CMAKE_SOURCE_DIR}/tests/unit/support/tree_check.cpp)
endif()

# Script clients of the registered control.
include(${CMAKE_SOURCE_DIR}/tests/scripts/scripts.cmake OPTIONAL)

# --- Windows benchmark programs -----------------------------------------------------
# Every bench/win/<name>.cpp is one program, built with the rest so that it cannot rot
# (it is no test). `make bench-win` runs rebuild_win_bench through the launcher, target
# run_bench_win: the x64 medians go to build/bench-win.json, the x86 ones (run by hand,
# `cmake --build --preset windows-x86 --target run_bench_win`) to build/bench-win-x86.json.
file(GLOB ZORTAB_WIN_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/win/*.cpp)
foreach(src ${ZORTAB_WIN_BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE zortab_com zortab_core ${ZORTAB_SYSTEM_LIBS})
  target_link_options(${name} PRIVATE ${ZORTAB_STATIC_LINK})
  target_compile_definitions(${name} PRIVATE "ZORTAB_DLL_PATH=L\"${ZORTAB_DLL_WINPATH}\"")
  add_dependencies(${name} ZorTabList)
endforeach()
if(TARGET rebuild_win_bench)
  get_filename_component(ZORTAB_BUILD_ROOT ${CMAKE_BINARY_DIR} DIRECTORY)
  if(ZORTAB_SYSKIND STREQUAL "SYS_WIN64")
    set(ZORTAB_BENCH_WIN_JSON ${ZORTAB_BUILD_ROOT}/bench-win.json)
  else()
    set(ZORTAB_BENCH_WIN_JSON ${ZORTAB_BUILD_ROOT}/bench-win-x86.json)
  endif()
  add_custom_target(run_bench_win
    COMMAND ${ZORTAB_WINE_LAUNCHER} --timeout 1800 $<TARGET_FILE:rebuild_win_bench>
            --json "Z:${ZORTAB_BENCH_WIN_JSON}"
    DEPENDS rebuild_win_bench
    USES_TERMINAL
    COMMENT "rebuild_win_bench under Wine (${ZORTAB_WINEARCH}), medians to ${ZORTAB_BENCH_WIN_JSON}"
    VERBATIM)
endif()

# --- The demo container, and the distribution: the example C++ client, the zip, the
# installer and its round trip -----------------------------------------------------------
include(${CMAKE_SOURCE_DIR}/tools/demo/demo.cmake)
include(${CMAKE_SOURCE_DIR}/packaging/dist.cmake)
