# The Windows download, korvel-simulator-VERSION-windows-x64.zip, made with
# every build of the cross tree so its tests run what a user unzips:
# korvel.exe, korvel-cli.exe, the example tunes, and as plain text with
# Windows line ends a README, the licence and the licences of the third-party
# code inside the programs (the MinGW-w64 runtime they are linked with, and
# korvel-cli's command-line parser), in one folder of the zip's name.
set(KORVEL_WINDOWS_ZIP_NAME korvel-simulator-${PROJECT_VERSION}-windows-x64)
set(KORVEL_WINDOWS_ZIP ${PROJECT_BINARY_DIR}/${KORVEL_WINDOWS_ZIP_NAME}.zip)

set(korvelZipTexts)
macro(korvel_zip_text source name)
  configure_file(${PROJECT_SOURCE_DIR}/${source} ${PROJECT_BINARY_DIR}/windowsZip/${name}
                 @ONLY NEWLINE_STYLE CRLF)
  list(APPEND korvelZipTexts ${PROJECT_BINARY_DIR}/windowsZip/${name})
endmacro()
korvel_zip_text(docs/README-windows.txt.in README.txt)
korvel_zip_text(LICENSE LICENSE.txt)
# The third-party licences: the compiler runtime's, then the command-line
# parser's, which the Debian package's copyright shares.
file(READ ${PROJECT_SOURCE_DIR}/docs/licences/windows-third-party.txt runtimeLicences)
file(READ ${PROJECT_SOURCE_DIR}/docs/licences/cli11.txt cli11Licence)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/windowsZip/LICENSE-third-party.txt
     CONTENT "${runtimeLicences}\n4. CLI11\n========\n\n${cli11Licence}" @ONLY NEWLINE_STYLE CRLF)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/docs/licences/windows-third-party.txt
             ${PROJECT_SOURCE_DIR}/docs/licences/cli11.txt)
list(APPEND korvelZipTexts ${PROJECT_BINARY_DIR}/windowsZip/LICENSE-third-party.txt)
file(GLOB korvelExamples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.dat)

add_custom_command(OUTPUT ${KORVEL_WINDOWS_ZIP}
    COMMAND ${CMAKE_COMMAND} -DZIP=${KORVEL_WINDOWS_ZIP} -DFOLDER=${KORVEL_WINDOWS_ZIP_NAME}
            -DSTAGE=${PROJECT_BINARY_DIR}/windowsZip/stage -DSTRIP=${CMAKE_STRIP}
            -DPROGRAMS=$<TARGET_FILE:korvel>$<SEMICOLON>$<TARGET_FILE:korvel-cli>
            "-DTEXTS=${korvelZipTexts}"
            -DEXAMPLES=${PROJECT_SOURCE_DIR}/examples
            -P ${PROJECT_SOURCE_DIR}/cmake/windowsZip.cmake
    DEPENDS korvel korvel-cli ${korvelZipTexts} ${korvelExamples}
            ${PROJECT_SOURCE_DIR}/cmake/windowsZip.cmake
    COMMENT "Packing ${KORVEL_WINDOWS_ZIP_NAME}.zip"
    VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${KORVEL_WINDOWS_ZIP})
