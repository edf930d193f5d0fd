# textscape-render: renders a text's picture to a file, with no display.
include(GNUInstallDirs)
find_package(Qt6 REQUIRED COMPONENTS Gui)

add_library(textscape_render STATIC
  app/render_options.cpp
  app/render_picture.cpp
  app/render_run.cpp
  platform/png_text.cpp
)
target_link_libraries(textscape_render PUBLIC textscape_save textscape_qt Qt6::Gui)
target_compile_definitions(textscape_render PRIVATE TEXTSCAPE_VERSION="${PROJECT_VERSION}")

add_executable(textscape-render app/render_main.cpp)
target_link_libraries(textscape-render PRIVATE textscape_render)

install(TARGETS textscape-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Both programs, and the window's desktop entry and icon.
if(TARGET textscape)
  install(TARGETS textscape RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/textscape.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size 48 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/textscape-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME textscape.png)
  endforeach()
endif()
