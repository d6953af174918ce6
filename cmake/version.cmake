# The product version has one source, the project version of the top-level CMakeLists.txt.
# It reaches the DLL's version resource, the type library's version and help text (both
# through the generated zortab_version.h), the distribution zip and the installer.
set(ZORTAB_VERSION ${PROJECT_VERSION})
set(zortab_version_parts ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR})
foreach(part PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    list(APPEND zortab_version_parts 0)
  else()
    list(APPEND zortab_version_parts ${PROJECT_VERSION_${part}})
  endif()
endforeach()
list(JOIN zortab_version_parts "," ZORTAB_VERSION_COMMAS)
# A type library version is major.minor; registration writes it as the key "1.0".
set(ZORTAB_TLB_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
file(CONFIGURE OUTPUT ${ZORTAB_GEN}/zortab_version.h CONTENT [[
// Generated from the project version by cmake/version.cmake.
#pragma once
#define ZORTAB_VERSION_TEXT "@ZORTAB_VERSION@"
#define ZORTAB_VERSION_COMMAS @ZORTAB_VERSION_COMMAS@
#define ZORTAB_TLB_VERSION @ZORTAB_TLB_VERSION@
#define ZORTAB_TLB_HELP "ZorTabList @ZORTAB_TLB_VERSION@ Type Library"
]] @ONLY)
