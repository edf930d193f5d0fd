# textscape_bench: one whole picture per shape formula, against the same
# sweep in bare doubles.
find_package(benchmark REQUIRED)

add_executable(textscape_bench
  ${CMAKE_CURRENT_LIST_DIR}/render_field_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bare_loop.cpp
)
target_include_directories(textscape_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(textscape_bench PRIVATE textscape_core benchmark::benchmark)

# textscape_sweep_bench: the sweep on one thread and on every thread, at
# 600 x 450 and at 3840 x 2160, against the same bare loop.
add_executable(textscape_sweep_bench
  ${CMAKE_CURRENT_LIST_DIR}/sweep_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bare_loop.cpp
)
target_include_directories(textscape_sweep_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(textscape_sweep_bench PRIVATE textscape_core benchmark::benchmark)
