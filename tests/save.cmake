textscape_add_test(annotate_tests
  SOURCES annotate/info_line_test.cpp annotate/caption_test.cpp
  LIBS textscape_core)
target_include_directories(annotate_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/annotate)

textscape_add_test(save_tests
  SOURCES app/save_composite_test.cpp app/save_bmp_test.cpp app/save_folder_test.cpp
  LIBS textscape_save)
target_include_directories(save_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/annotate ${CMAKE_CURRENT_SOURCE_DIR}/app)
