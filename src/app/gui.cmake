# The window and the program that opens it.
add_library(textscape_gui STATIC
  app/main_window.cpp
  app/display_check.cpp
)
set_target_properties(textscape_gui PROPERTIES AUTOMOC ON)
target_link_libraries(textscape_gui PUBLIC textscape_qt)

add_executable(textscape app/main.cpp)
target_link_libraries(textscape PRIVATE textscape_gui)
