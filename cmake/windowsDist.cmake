# The Windows download, korvel-simulator-VERSION-windows-x64.zip, made with
# every build of the cross tree so its tests run what a user unzips:
# korvel.exe, korvel-cli.exe, the example tunes and a plain-text README with
# Windows line ends, in one folder of the zip's name.
set(KORVEL_WINDOWS_ZIP_NAME korvel-simulator-${PROJECT_VERSION}-windows-x64)
set(KORVEL_WINDOWS_ZIP ${PROJECT_BINARY_DIR}/${KORVEL_WINDOWS_ZIP_NAME}.zip)

configure_file(${PROJECT_SOURCE_DIR}/docs/README-windows.txt.in
               ${PROJECT_BINARY_DIR}/windowsZip/README.txt @ONLY NEWLINE_STYLE CRLF)
file(GLOB korvelExamples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.dat)

add_custom_command(OUTPUT ${KORVEL_WINDOWS_ZIP}
    COMMAND ${CMAKE_COMMAND} -DZIP=${KORVEL_WINDOWS_ZIP} -DFOLDER=${KORVEL_WINDOWS_ZIP_NAME}
            -DSTAGE=${PROJECT_BINARY_DIR}/windowsZip/stage -DSTRIP=${CMAKE_STRIP}
            -DPROGRAMS=$<TARGET_FILE:korvel>$<SEMICOLON>$<TARGET_FILE:korvel-cli>
            -DREADME=${PROJECT_BINARY_DIR}/windowsZip/README.txt
            -DEXAMPLES=${PROJECT_SOURCE_DIR}/examples
            -P ${PROJECT_SOURCE_DIR}/cmake/windowsZip.cmake
    DEPENDS korvel korvel-cli ${PROJECT_BINARY_DIR}/windowsZip/README.txt ${korvelExamples}
            ${PROJECT_SOURCE_DIR}/cmake/windowsZip.cmake
    COMMENT "Packing ${KORVEL_WINDOWS_ZIP_NAME}.zip"
    VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${KORVEL_WINDOWS_ZIP})
