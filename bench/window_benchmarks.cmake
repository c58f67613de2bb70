# The window's benchmarks: timing programs, run by hand (see the notes at the top of each
# source); not tests.
add_executable(window_run ${CMAKE_CURRENT_LIST_DIR}/window_run.cpp)
target_link_libraries(window_run PRIVATE tagmill_shell tagmill_platform_fakes Qt6::Test)
add_dependencies(window_run tagmill-cli)

add_executable(window_scan ${CMAKE_CURRENT_LIST_DIR}/window_scan.cpp)
target_link_libraries(window_scan PRIVATE tagmill_shell tagmill_platform_fakes)

add_executable(window_save ${CMAKE_CURRENT_LIST_DIR}/window_save.cpp)
target_link_libraries(window_save PRIVATE tagmill_shell tagmill_platform_qt tagmill_platform_fakes)
