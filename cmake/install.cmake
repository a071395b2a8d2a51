# What `cmake --install` (and so the Debian package) puts on a Linux desktop:
# the programs with their manual pages, the menu entry with its icons, the
# script file type and the example tunes. Included last so that every program target is already known.
include(GNUInstallDirs)

install(TARGETS korvel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The desktop edition, whichever front end provides it on this platform.
if(TARGET korvel)
  install(TARGETS korvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/resources/korvel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/korvel-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME korvel.xml)

set(KORVEL_ICON_SIZES 16 24 32 48 64 128 256)
foreach(size IN LISTS KORVEL_ICON_SIZES)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/korvel-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME korvel.png)
endforeach()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/korvel/examples
        FILES_MATCHING PATTERN "*.dat"
        PATTERN "src" EXCLUDE) # the sources some examples were made from

# The manual pages, with the project's version, compressed as Debian wants
# (gzip -9n: no name, no time stamp). Both programs install into bin, so both
# pages are in section 1; the desktop edition's only where it is built.
set(KORVEL_MAN_DIR ${PROJECT_BINARY_DIR}/man)
set(korvelManPages korvel-cli)
if(TARGET korvel)
  list(APPEND korvelManPages korvel)
endif()
set(korvelCompressedPages "")
foreach(page IN LISTS korvelManPages)
  set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in)
  configure_file(${source} ${KORVEL_MAN_DIR}/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${KORVEL_MAN_DIR}/${page}.1.gz
      COMMAND gzip -9nkf ${KORVEL_MAN_DIR}/${page}.1
      DEPENDS ${KORVEL_MAN_DIR}/${page}.1 ${source}
      COMMENT "Compressing the manual page ${page}(1)"
      VERBATIM)
  list(APPEND korvelCompressedPages ${KORVEL_MAN_DIR}/${page}.1.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${korvelCompressedPages})
install(FILES ${korvelCompressedPages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
