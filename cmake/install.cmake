# What `cmake --install` (and so the Debian package) puts on a Linux desktop:
# the programs, the menu entry with its icons, the script file type and the
# example tunes. Included last so that every program target is already known.
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
