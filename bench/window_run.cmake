# The window's run benchmark: a timing program, run by hand (see the notes at the top of
# bench/window_run.cpp); not a test.
add_executable(window_run ${CMAKE_CURRENT_LIST_DIR}/window_run.cpp)
target_link_libraries(window_run PRIVATE tagmill_shell tagmill_platform_fakes Qt6::Test)
add_dependencies(window_run tagmill-cli)
