cmake_minimum_required(VERSION 3.20)
# Installs the build into a fresh prefix and checks what a desktop needs is
# there, and that the installed renderer runs.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

foreach(file bin/textscape bin/textscape-render share/applications/textscape.desktop
             share/icons/hicolor/48x48/apps/textscape.png share/icons/hicolor/128x128/apps/textscape.png
             share/icons/hicolor/256x256/apps/textscape.png)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

file(STRINGS "${PREFIX}/share/applications/textscape.desktop" entry)
foreach(line "Exec=textscape" "Icon=textscape" "Type=Application")
  if(NOT "${line}" IN_LIST entry)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()

execute_process(COMMAND "${PREFIX}/bin/textscape-render" --version
                RESULT_VARIABLE status OUTPUT_VARIABLE version)
if(NOT status EQUAL 0 OR NOT version MATCHES "^textscape-render [0-9]")
  message(FATAL_ERROR "the installed renderer does not run: ${status} ${version}")
endif()
