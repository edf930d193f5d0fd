# The platform operations done with Qt: text on the surfaces and the prompt.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(textscape_qt STATIC
  platform/qt_text_painter.cpp
  platform/qt_text_dialog.cpp
  platform/qt_surfaces.cpp
)
target_link_libraries(textscape_qt PUBLIC textscape_core Qt6::Widgets)
