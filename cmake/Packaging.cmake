# Installation layout and the desktop integration files. The Debian packages
# (debian/, built by scripts/make-deb.sh) split this layout in two:
#
#   console, package orvex:
#   bin/orvex
#   share/man/man1/orvex.1.gz
#   share/bash-completion/completions/orvex
#
#   desktop, package orvex-desktop:
#   lib/<multiarch>/orvex/orvex-desktop.so the desktop face, loaded by orvex
#   share/orvex/                           data folder (found from bin/ as ../share/orvex/):
#                                          orvex.html (the manual), gfx/ (theme packages)
#   share/applications/<id>.desktop
#   share/mime/packages/<id>.xml
#   share/metainfo/<id>.metainfo.xml
#   share/icons/hicolor/<size>/apps/<id>.png, scalable/apps/<id>.svg
include(GNUInstallDirs)

# One reverse-DNS id (ORVEX_APP_ID, set beside the deployment values) names
# the desktop entry, the MIME package, the metainfo and the icons; the files
# under data/linux carry it in their names.
set(ORVEX_LINUX_DIR "${CMAKE_SOURCE_DIR}/data/linux")
set(ORVEX_ICON_SVG "${CMAKE_SOURCE_DIR}/data/icons/app/orvex.svg")
set(ORVEX_ICON_SIZES 16 22 24 32 48 64 128 256)

# The program looks for its data in ../share/orvex/ from its own folder, so
# the two must stay one level apart.
if(NOT CMAKE_INSTALL_BINDIR STREQUAL "bin" OR NOT CMAKE_INSTALL_DATADIR STREQUAL "share")
  message(WARNING "orvex finds its data folder as ../share/orvex/ beside its executable; "
                  "CMAKE_INSTALL_BINDIR=${CMAKE_INSTALL_BINDIR} and "
                  "CMAKE_INSTALL_DATADIR=${CMAKE_INSTALL_DATADIR} break that")
endif()
set(ORVEX_INSTALL_DATA_FOLDER "${CMAKE_INSTALL_DATADIR}/orvex")

find_program(ORVEX_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ORVEX_GZIP gzip REQUIRED)

# Build-time products: the icon at each hicolor size, and the compressed
# manual page (gzipped with -9n, as Debian wants it).
set(ORVEX_GENERATED_DIR "${CMAKE_BINARY_DIR}/linux")
set(ORVEX_GENERATED_FILES)
foreach(size IN LISTS ORVEX_ICON_SIZES)
  set(png "${ORVEX_GENERATED_DIR}/icons/${size}x${size}/${ORVEX_APP_ID}.png")
  add_custom_command(OUTPUT "${png}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${ORVEX_GENERATED_DIR}/icons/${size}x${size}"
    COMMAND ${ORVEX_RSVG_CONVERT} -w ${size} -h ${size} -o "${png}" "${ORVEX_ICON_SVG}"
    DEPENDS "${ORVEX_ICON_SVG}"
    COMMENT "Drawing the ${size}x${size} application icon"
    VERBATIM)
  list(APPEND ORVEX_GENERATED_FILES "${png}")
  if(ORVEX_BUILD_DESKTOP)
    install(FILES "${png}"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
  endif()
endforeach()

foreach(pair "docs/orvex.1|orvex.1.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(OUTPUT "${ORVEX_GENERATED_DIR}/${target}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${ORVEX_GENERATED_DIR}"
    COMMAND sh -c "${ORVEX_GZIP} -9n -c \"$1\" > \"$2\"" sh
            "${CMAKE_SOURCE_DIR}/${source}" "${ORVEX_GENERATED_DIR}/${target}"
    DEPENDS "${CMAKE_SOURCE_DIR}/${source}"
    COMMENT "Compressing ${source}"
    VERBATIM)
  list(APPEND ORVEX_GENERATED_FILES "${ORVEX_GENERATED_DIR}/${target}")
endforeach()
add_custom_target(orvex_linux_data ALL DEPENDS ${ORVEX_GENERATED_FILES})

# The HTML manual: beside the program in the build tree (AppFolder + "gfx/",
# where the desktop looks first) and in the data folder when installed. It
# stays out of share/doc: Help > User Manual opens it at run time, and a
# system may leave share/doc out of what it installs.
set(ORVEX_HTML_MANUAL "${CMAKE_SOURCE_DIR}/data/orvex.html")
add_custom_target(orvex_html_manual ALL
  COMMAND "${CMAKE_COMMAND}" -E make_directory "$<TARGET_FILE_DIR:orvex>/gfx"
  COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${ORVEX_HTML_MANUAL}" "$<TARGET_FILE_DIR:orvex>/gfx/"
  DEPENDS "${ORVEX_HTML_MANUAL}"
  COMMENT "Placing the HTML manual beside orvex"
  VERBATIM)
add_dependencies(orvex orvex_html_manual)

install(TARGETS orvex RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${ORVEX_GENERATED_DIR}/orvex.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${ORVEX_LINUX_DIR}/orvex.bash-completion"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions"
        RENAME orvex)

# What belongs to the desktop face only (the module itself is installed by
# src/app, the theme packages by src/ui/theme).
if(NOT ORVEX_BUILD_DESKTOP)
  return()
endif()
install(FILES "${ORVEX_HTML_MANUAL}" DESTINATION "${ORVEX_INSTALL_DATA_FOLDER}")
install(FILES "${ORVEX_LINUX_DIR}/${ORVEX_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${ORVEX_LINUX_DIR}/${ORVEX_APP_ID}.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages")
install(FILES "${ORVEX_LINUX_DIR}/${ORVEX_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${ORVEX_ICON_SVG}"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
        RENAME "${ORVEX_APP_ID}.svg")
