# Script run by the install_layout test; see CMakeLists.txt beside it.
file(REMOVE_RECURSE ${STAGE})
set(usr ${STAGE}/usr)

# Runs a step and fails the test with `problem` when it fails.
function(expectSuccess problem)
  execute_process(COMMAND ${ARGN} OUTPUT_QUIET RESULT_VARIABLE failed)
  if(failed)
    message(SEND_ERROR ${problem})
  endif()
endfunction()

expectSuccess("cmake --install failed"
    ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr)

set(expected bin/korvel-cli share/applications/korvel.desktop share/mime/packages/korvel.xml
    share/doc/korvel-simulator/copyright share/doc/korvel-simulator/changelog.gz
    share/man/man1/korvel-cli.1.gz)
if(WITH_DESKTOP_PROGRAM)
  list(APPEND expected bin/korvel share/man/man1/korvel.1.gz)
endif()
foreach(size 16 24 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/korvel.png)
endforeach()
file(GLOB examples RELATIVE ${EXAMPLES} ${EXAMPLES}/*.dat)
list(TRANSFORM examples PREPEND share/korvel/examples/)
foreach(path IN LISTS expected examples)
  if(NOT EXISTS ${usr}/${path})
    message(SEND_ERROR "not installed: ${path}")
  endif()
endforeach()

expectSuccess("the installed korvel-cli does not run" ${usr}/bin/korvel-cli --version)
expectSuccess("korvel.desktop does not validate"
    desktop-file-validate ${usr}/share/applications/korvel.desktop)

# The file type must compile into a database that knows scripts both by name
# and by their opening word.
expectSuccess("the file type does not compile" update-mime-database ${usr}/share/mime)
file(READ ${usr}/share/mime/globs2 globs)
file(STRINGS ${usr}/share/mime/magic magic)
if(NOT globs MATCHES "application/x-korvel-script:\\*\\.dat" OR NOT magic MATCHES "korvel-script.*KORVEL")
  message(SEND_ERROR "the script file type does not register")
endif()
