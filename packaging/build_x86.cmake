# Brings the x86 control of BINARY up to date, configuring that build first when it has
# not been (the same settings as the windows-x86 preset). Run by packaging/dist.cmake.
if(NOT EXISTS ${BINARY}/CMakeCache.txt)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G ${GENERATOR}
                          -DCMAKE_TOOLCHAIN_FILE=${SOURCE}/cmake/mingw-x86.cmake
                          -DCMAKE_BUILD_TYPE=Release
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "configuring the x86 build in ${BINARY} failed")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} --target ZorTabList -j 2
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building the x86 control in ${BINARY} failed")
endif()
