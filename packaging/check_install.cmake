cmake_minimum_required(VERSION 3.20)
# Installs the build into a fresh prefix and checks that everything a desktop
# and a shell need is there and valid, and that the installed programs run:
#
#   cmake -DBUILD=<build dir> -DPREFIX=<empty prefix> -P packaging/check_install.cmake
#
# Needs desktop-file-validate (desktop-file-utils) and appstreamcli
# (appstream); uses groff and bash when they are there.
foreach(variable BUILD PREFIX)
  if(NOT DEFINED ${variable} OR "${${variable}}" STREQUAL "")
    message(FATAL_ERROR "usage: cmake -DBUILD=<build dir> -DPREFIX=<prefix> -P check_install.cmake")
  endif()
endforeach()
get_filename_component(PREFIX "${PREFIX}" ABSOLUTE)

set(app_id io.github.textscape.Textscape)
set(icon_sizes 16 24 32 48 64 128 256)
set(desktop_entry share/applications/textscape.desktop)
set(metainfo share/metainfo/${app_id}.metainfo.xml)
set(completion share/bash-completion/completions/textscape-render)

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${errors}")
endif()

# --- Everything is there --------------------------------------------------
set(expected bin/textscape bin/textscape-render ${desktop_entry} ${metainfo} ${completion}
             share/man/man1/textscape.1 share/man/man1/textscape-render.1)
foreach(size IN LISTS icon_sizes)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/textscape.png)
endforeach()
list(APPEND expected share/icons/hicolor/scalable/apps/textscape.svg)
set(missing "")
foreach(file IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${file}")
    list(APPEND missing "${file}")
  endif()
endforeach()
if(missing)
  list(JOIN missing "\n  " missing)
  message(FATAL_ERROR "not installed under ${PREFIX}:\n  ${missing}")
endif()

# --- Icons are PNGs of the size their folder names ------------------------
foreach(size IN LISTS icon_sizes)
  set(icon "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/textscape.png")
  # Signature (8 bytes), IHDR length and name (8), then width and height.
  file(READ "${icon}" head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 0 16 signature)
  string(SUBSTRING "${head}" 24 8 chunk)
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT chunk STREQUAL "49484452")
    message(FATAL_ERROR "${icon} is not a PNG")
  endif()
  string(SUBSTRING "${head}" 32 8 width_hex)
  string(SUBSTRING "${head}" 40 8 height_hex)
  math(EXPR width "0x${width_hex}")
  math(EXPR height "0x${height_hex}")
  if(NOT width EQUAL size OR NOT height EQUAL size)
    message(FATAL_ERROR "${icon} is ${width}x${height}, not ${size}x${size}")
  endif()
endforeach()

# --- The scalable icon is an SVG drawing of its own -----------------------
file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/textscape.svg" svg)
if(NOT svg MATCHES "<svg [^>]*xmlns=\"http://www.w3.org/2000/svg\"" OR NOT svg MATCHES "viewBox=")
  message(FATAL_ERROR "the scalable icon is not an SVG with a viewBox")
endif()
find_program(XMLLINT xmllint)
if(XMLLINT)
  execute_process(COMMAND "${XMLLINT}" --noout "${PREFIX}/share/icons/hicolor/scalable/apps/textscape.svg"
                  RESULT_VARIABLE status ERROR_VARIABLE report)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "the scalable icon is not well-formed XML:\n${report}")
  endif()
endif()

# --- The desktop entry starts the installed program with its icon, and is
# --- offered for PNG files, which it opens by their names -----------------
file(STRINGS "${PREFIX}/${desktop_entry}" entry)
foreach(line "Type=Application" "Exec=textscape %F" "Icon=textscape" "MimeType=image/png;")
  if(NOT "${line}" IN_LIST entry)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(NOT DESKTOP_FILE_VALIDATE)
  message(FATAL_ERROR "desktop-file-validate not found: install desktop-file-utils")
endif()
execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${PREFIX}/${desktop_entry}"
                RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
# Hints are advice; errors and warnings are not.
if(NOT status EQUAL 0 OR report MATCHES "(error|warning):")
  message(FATAL_ERROR "desktop-file-validate rejects ${desktop_entry}:\n${report}")
endif()

# --- The metainfo is valid and names the installed desktop entry ----------
find_program(APPSTREAMCLI appstreamcli)
if(NOT APPSTREAMCLI)
  message(FATAL_ERROR "appstreamcli not found: install appstream")
endif()
# Fails on errors and on warnings, and on every pedantic note or info but
# these, which are known and meant:
#   cid-contains-uppercase-letter  the id keeps the reverse-DNS form of the
#                                  project's address, as Flathub asks;
#   unknown-tag developer          appstream before 1.0 does not know
#                                  <developer>, which replaced <developer_name>.
set(accepted_notes "cid-contains-uppercase-letter" "unknown-tag developer")
execute_process(COMMAND "${APPSTREAMCLI}" validate --pedantic --no-net "${PREFIX}/${metainfo}"
                RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "appstreamcli validate rejects ${metainfo}:\n${report}")
endif()
string(REGEX MATCHALL "\n[EWIP]: [^\n]*" notes "\n${report}")
foreach(note IN LISTS notes)
  set(known FALSE)
  foreach(accepted IN LISTS accepted_notes)
    string(FIND "${note}" ": ${accepted}" at)
    if(NOT at EQUAL -1)
      set(known TRUE)
    endif()
  endforeach()
  if(NOT known)
    message(FATAL_ERROR "appstreamcli validate --pedantic notes${note}\nin ${metainfo}:\n${report}")
  endif()
endforeach()
file(READ "${PREFIX}/${metainfo}" metainfo_text)
if(NOT metainfo_text MATCHES "<id>${app_id}</id>")
  message(FATAL_ERROR "${metainfo} does not carry the id ${app_id}")
endif()
if(NOT metainfo_text MATCHES "<launchable type=\"desktop-id\">([^<]+)</launchable>")
  message(FATAL_ERROR "${metainfo} names no desktop entry to launch")
endif()
if(NOT EXISTS "${PREFIX}/share/applications/${CMAKE_MATCH_1}")
  message(FATAL_ERROR "${metainfo} launches ${CMAKE_MATCH_1}, which is not installed")
endif()
foreach(part "<developer id=\"[^\"]+\">[ \n]*<name>[^<]+</name>" "<content_rating type=\"oars-1.1\"" "<release version=\"1.0.0\" date=\"[0-9-]+\"" "<screenshot type=\"default\">")
  if(NOT metainfo_text MATCHES "${part}")
    message(FATAL_ERROR "${metainfo} lacks ${part}")
  endif()
endforeach()
# Each screenshot is one of the project's own, in docs/.
string(REGEX MATCHALL "<image type=\"source\">[^<]+</image>" images "${metainfo_text}")
if(NOT images)
  message(FATAL_ERROR "${metainfo} has no screenshots")
endif()
foreach(image IN LISTS images)
  set(shown "")
  if(image MATCHES "/docs/([^/<]+)</image>$")
    set(shown "${CMAKE_MATCH_1}")
  endif()
  if(shown STREQUAL "" OR NOT EXISTS "${CMAKE_CURRENT_LIST_DIR}/../docs/${shown}")
    message(FATAL_ERROR "${metainfo} shows ${image}, which is not a picture in docs/")
  endif()
endforeach()
foreach(program textscape textscape-render)
  if(NOT metainfo_text MATCHES "<binary>${program}</binary>")
    message(FATAL_ERROR "${metainfo} does not list the program ${program}")
  endif()
endforeach()

# --- The renderer runs; its version is the one on the pages ---------------
execute_process(COMMAND "${PREFIX}/bin/textscape-render" --version
                RESULT_VARIABLE status OUTPUT_VARIABLE version ERROR_VARIABLE errors TIMEOUT 60)
if(NOT status EQUAL 0 OR NOT version MATCHES "^textscape-render ([0-9][^\n]*)")
  message(FATAL_ERROR "the installed renderer does not run (${status}): ${version}${errors}")
endif()
set(version "${CMAKE_MATCH_1}")
if(NOT metainfo_text MATCHES "<release version=\"${version}\"")
  message(FATAL_ERROR "${metainfo} has no release entry for version ${version}")
endif()

# --- Manual pages: well formed, current, and naming every option ----------
# Prints the options listed in a program's --help (lines starting "  -x" or
# "  -x, --long") into out_var; fails when none are found.
function(listed_options help_text program out_var)
  string(REGEX MATCHALL "\n +-[-A-Za-z0-9]+(, +-[-A-Za-z0-9]+)?" lines "\n${help_text}")
  set(options "")
  foreach(line IN LISTS lines)
    string(REGEX MATCHALL "-[-A-Za-z0-9]+" names "${line}")
    list(APPEND options ${names})
  endforeach()
  if(NOT options)
    message(FATAL_ERROR "${program} --help lists no options:\n${help_text}")
  endif()
  set(${out_var} "${options}" PARENT_SCOPE)
endfunction()

# Each option must head an item of the page: be on the line after a ".TP".
function(check_page_options page options)
  file(STRINGS "${page}" lines)
  set(headings "")
  set(after_tp FALSE)
  foreach(line IN LISTS lines)
    if(after_tp)
      string(REPLACE "\\-" "-" line "${line}")
      string(APPEND headings " ${line} ")
    endif()
    if(line MATCHES "^\\.TP")
      set(after_tp TRUE)
    else()
      set(after_tp FALSE)
    endif()
  endforeach()
  foreach(option IN LISTS options)
    # Options are letters, digits and hyphens: nothing to escape.
    if(NOT headings MATCHES "[^-A-Za-z0-9]${option}[^-A-Za-z0-9]")
      message(FATAL_ERROR "${page} has no item for ${option}")
    endif()
  endforeach()
endfunction()

find_program(GROFF groff)
foreach(program textscape textscape-render)
  set(page "${PREFIX}/share/man/man1/${program}.1")
  file(STRINGS "${page}" title REGEX "^\\.TH ")
  if(NOT title MATCHES "\"Textscape ${version}\"")
    message(FATAL_ERROR "${page} is not marked with version ${version}: ${title}")
  endif()
  if(GROFF)
    execute_process(COMMAND "${GROFF}" -man -Tutf8 -ww -z "${page}"
                    RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
    if(NOT status EQUAL 0 OR NOT report STREQUAL "")
      message(FATAL_ERROR "groff finds faults in ${page}:\n${report}")
    endif()
  else()
    message(STATUS "groff not found: ${program}.1 not checked for markup faults")
  endif()
endforeach()

execute_process(COMMAND "${PREFIX}/bin/textscape-render" --help
                RESULT_VARIABLE status OUTPUT_VARIABLE help ERROR_VARIABLE errors TIMEOUT 60)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "textscape-render --help fails (${status}): ${errors}")
endif()
listed_options("${help}" textscape-render render_options)
check_page_options("${PREFIX}/share/man/man1/textscape-render.1" "${render_options}")

# Every format the renderer lists ("  png   .png    PNG image ...") has its
# item on the page: the list is filled in from the same table.
string(REGEX MATCHALL "\n  [a-z0-9]+ +\\." format_lines "\n${help}")
if(NOT format_lines)
  message(FATAL_ERROR "textscape-render --help lists no formats:\n${help}")
endif()
file(STRINGS "${PREFIX}/share/man/man1/textscape-render.1" page_lines)
foreach(line IN LISTS format_lines)
  string(REGEX MATCH "[a-z0-9]+" format "${line}")
  if(NOT ".B ${format}" IN_LIST page_lines)
    message(FATAL_ERROR "textscape-render.1 has no item for the format ${format}")
  endif()
endforeach()

# Every named size --list-sizes shows has its item on the page as well.
execute_process(COMMAND "${PREFIX}/bin/textscape-render" --list-sizes
                RESULT_VARIABLE status OUTPUT_VARIABLE sizes ERROR_VARIABLE errors TIMEOUT 60)
string(REGEX MATCHALL "(^|\n)[a-z0-9]+ " size_names "${sizes}")
if(NOT status EQUAL 0 OR NOT size_names)
  message(FATAL_ERROR "textscape-render --list-sizes lists no sizes (${status}): ${sizes}${errors}")
endif()
foreach(name IN LISTS size_names)
  string(STRIP "${name}" name)
  if(NOT ".B ${name}" IN_LIST page_lines)
    message(FATAL_ERROR "textscape-render.1 has no item for the size ${name}")
  endif()
endforeach()

# The window's version needs no display either, and is the renderer's.
foreach(option -V --version)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                          "${PREFIX}/bin/textscape" ${option}
                  RESULT_VARIABLE status OUTPUT_VARIABLE window_version ERROR_VARIABLE errors TIMEOUT 60)
  if(NOT status EQUAL 0 OR NOT window_version STREQUAL "textscape ${version}\n")
    message(FATAL_ERROR "textscape ${option} gives (${status}) '${window_version}' ${errors}, not version ${version}")
  endif()
endforeach()

# The window's --help, where it has one, must not open a window: no display
# is passed on, and a build without --help stops at the display check.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                        "${PREFIX}/bin/textscape" --help
                RESULT_VARIABLE status OUTPUT_VARIABLE help ERROR_QUIET TIMEOUT 60)
if(status EQUAL 0)
  listed_options("${help}" textscape window_options)
  check_page_options("${PREFIX}/share/man/man1/textscape.1" "${window_options}")
endif()

# --- The bash completion loads and completes the renderer's options -------
find_program(BASH bash)
if(BASH)
  execute_process(COMMAND "${BASH}" "${CMAKE_CURRENT_LIST_DIR}/completion_test.bash" "${PREFIX}/${completion}"
                          "${PREFIX}/bin/textscape-render"
                  RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report TIMEOUT 120)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "the installed bash completion does not work:\n${report}")
  endif()
else()
  message(STATUS "bash not found: the completion is not tried")
endif()

message(STATUS "install tree under ${PREFIX} is complete and valid")
