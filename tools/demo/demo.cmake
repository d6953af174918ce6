# The demo container (tools/demo/demo_container.cpp), built by every Windows build so that
# it cannot rot; `make demo` runs it through tools/demo/run-demo.sh.
add_executable(demo_container ${CMAKE_SOURCE_DIR}/tools/demo/demo_container.cpp)
target_link_libraries(demo_container PRIVATE zortab_com zortab_guids ${ZORTAB_SYSTEM_LIBS})
target_link_options(demo_container PRIVATE ${ZORTAB_STATIC_LINK} -municode)
add_dependencies(demo_container ZorTabList)
