textscape_add_test(annotate_tests
  SOURCES annotate/info_line_test.cpp annotate/caption_test.cpp
  LIBS textscape_core)
target_include_directories(annotate_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/annotate)

textscape_add_test(save_tests
  SOURCES app/save_composite_test.cpp app/save_bmp_test.cpp app/save_folder_test.cpp
  LIBS textscape_save)
target_include_directories(save_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/annotate ${CMAKE_CURRENT_SOURCE_DIR}/app)

if(TARGET textscape_render)
  textscape_add_test(render_options_tests
    SOURCES app/render_options_test.cpp app/render_png_text_test.cpp
    LIBS textscape_render)
  target_include_directories(render_options_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/app)

  textscape_add_test(render_output_tests
    SOURCES app/render_output_test.cpp
    LIBS textscape_render)
  target_include_directories(render_output_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/app)
  target_compile_definitions(render_output_tests PRIVATE
    TEXTSCAPE_RENDER_PROGRAM="$<TARGET_FILE:textscape-render>")
  add_dependencies(render_output_tests textscape-render)
endif()

if(TARGET textscape_gui AND TARGET textscape_render)
  textscape_add_test(save_window_tests
    SOURCES app/save_window_test.cpp
    LIBS textscape_gui textscape_render Qt6::Test)
  target_include_directories(save_window_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/app)
  target_compile_definitions(save_window_tests PRIVATE
    TEXTSCAPE_RENDER_PROGRAM="$<TARGET_FILE:textscape-render>")
  add_dependencies(save_window_tests textscape-render)
endif()

if(TARGET textscape AND TARGET textscape-render)
  add_test(NAME install_puts_programs_desktop_entry_and_icons
           COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_BINARY_DIR}/test-output/install
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/app/render_install_check.cmake)
endif()
