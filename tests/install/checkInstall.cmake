# Script run by the install_layout test; see CMakeLists.txt beside it.
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE}
                        ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()
set(usr ${STAGE}/usr)

set(expected bin/korvel-cli share/applications/korvel.desktop share/mime/packages/korvel.xml)
if(WITH_DESKTOP_PROGRAM)
  list(APPEND expected bin/korvel)
endif()
foreach(size 16 24 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/korvel.png)
endforeach()
file(GLOB examples RELATIVE ${EXAMPLES} ${EXAMPLES}/*.dat)
foreach(example IN LISTS examples)
  list(APPEND expected share/korvel/examples/${example})
endforeach()
foreach(path IN LISTS expected)
  if(NOT EXISTS ${usr}/${path})
    message(SEND_ERROR "not installed: ${path}")
  endif()
endforeach()

# The installed program runs from its new place.
execute_process(COMMAND ${usr}/bin/korvel-cli --version RESULT_VARIABLE failed)
if(failed)
  message(SEND_ERROR "the installed korvel-cli does not run")
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${usr}/share/applications/korvel.desktop
                  RESULT_VARIABLE failed)
  if(failed)
    message(SEND_ERROR "korvel.desktop does not validate")
  endif()
endif()

# The file type must compile into a database that knows scripts both by name
# and by their opening word.
find_program(UPDATE_MIME_DATABASE update-mime-database)
if(UPDATE_MIME_DATABASE)
  execute_process(COMMAND ${UPDATE_MIME_DATABASE} ${usr}/share/mime RESULT_VARIABLE failed)
  file(READ ${usr}/share/mime/globs2 globs)
  file(STRINGS ${usr}/share/mime/magic magic)
  if(failed OR NOT globs MATCHES "application/x-korvel-script:\\*\\.dat"
     OR NOT magic MATCHES "application/x-korvel-script.*KORVEL")
    message(SEND_ERROR "the script file type does not register")
  endif()
endif()
