find_package(Qt6 REQUIRED COMPONENTS Test)

# Prints the pixels a few texts give; the painter's tests run it under
# several platform plugins and compare.
add_executable(qt_text_probe platform/qt_text_probe.cpp)
target_link_libraries(qt_text_probe PRIVATE textscape_qt)

textscape_add_test(qt_platform_tests
  SOURCES platform/qt_text_painter_test.cpp platform/qt_text_dialog_test.cpp
  LIBS textscape_qt Qt6::Test)
target_include_directories(qt_platform_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(qt_platform_tests PRIVATE TEXTSCAPE_TEXT_PROBE="$<TARGET_FILE:qt_text_probe>")
add_dependencies(qt_platform_tests qt_text_probe)

textscape_add_test(gui_tests
  SOURCES app/form1_test.cpp app/display_check_test.cpp
  LIBS textscape_gui Qt6::Test)
target_include_directories(gui_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(gui_tests PRIVATE TEXTSCAPE_EXECUTABLE="$<TARGET_FILE:textscape>")
add_dependencies(gui_tests textscape)
