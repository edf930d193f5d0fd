# The save: the copy into the composite, the bitmap writer, the pictures
# folder and the safe file write. Toolkit-free, so it is tested without a
# window.
add_library(textscape_save STATIC
  app/save_composite.cpp
  platform/bmp_writer.cpp
  platform/file_output.cpp
  platform/pictures_folder.cpp
)
target_link_libraries(textscape_save PUBLIC textscape_core)

if(TARGET textscape_gui)
  target_link_libraries(textscape_gui PUBLIC textscape_save)
endif()
