# Tests of the picture engine (no toolkit): one program per subsystem.

add_library(textscape_test_support STATIC
  support/png_writer.cpp
  render/reference_sweep.cpp
)
target_include_directories(textscape_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(textscape_test_support PUBLIC textscape_core)

textscape_add_test(numeric_tests
  SOURCES numeric/operations_test.cpp numeric/statement_test.cpp numeric/fast_real_test.cpp
  LIBS textscape_core)

textscape_add_test(platform_core_tests
  SOURCES platform/random_source_test.cpp platform/raster_test.cpp platform/raster_surface_test.cpp
  LIBS textscape_core)

textscape_add_test(seed_tests
  SOURCES seed/character_code_test.cpp seed/read_text_seed_test.cpp seed/draw_parameters_test.cpp
  LIBS textscape_test_support)

textscape_add_test(colour_tests
  SOURCES colour/build_palette_test.cpp colour/channel_mixing_test.cpp colour/plot_pixel_test.cpp
  LIBS textscape_test_support)

textscape_add_test(render_tests
  SOURCES render/pixel_state_test.cpp render/polar_about_pole_test.cpp render/shape_value_test.cpp
          render/render_field_test.cpp render/golden_pictures_test.cpp render/sweep_test.cpp
  LIBS textscape_test_support)

# Counts the memory a sweep takes: replaces the allocation functions, so it is
# a program of its own.
textscape_add_test(sweep_memory_tests
  SOURCES render/sweep_memory_test.cpp
  LIBS textscape_test_support)
