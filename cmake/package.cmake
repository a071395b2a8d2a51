# The Debian package of what cmake/install.cmake installs (`make package`).
# Its dependencies are read from the programs' shared libraries, so a package
# built with the desktop edition also depends on the toolkit's libraries.
set(KORVEL_PACKAGE_MAINTAINER "KORVEL Simulator maintainers <maintainers@korvel.invalid>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvel-simulator)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KORVEL_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Simulator of the KORVEL hobby computer kit")
# The long description names only what this build installs.
set(korvelDescription "A simulator of the KORVEL kit: a 22-key hex keypad, a four-digit LED and a\none-voice square-wave sound, with its memory saved and loaded as scripts.")
if(TARGET korvel)
  string(APPEND korvelDescription "\nThe desktop program 'korvel' shows the kit in a window;")
else()
  string(APPEND korvelDescription "\nThis build holds no desktop program;")
endif()
string(APPEND korvelDescription " 'korvel-cli' plays,\nrenders and lists tunes without one. Example tunes are included.")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION ${korvelDescription})
set(CPACK_DEBIAN_PACKAGE_SECTION education)

# The documents Debian's policy asks of every package: the licences in the
# machine-readable `copyright` and the changes in `changelog.gz`, made from
# LICENSE with CLI11's licence (korvel-cli carries its code) and CHANGELOG.md.
set(korvelDebianDocs ${PROJECT_BINARY_DIR}/debianDocs)
add_custom_command(OUTPUT ${korvelDebianDocs}/copyright ${korvelDebianDocs}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -DOUT=${korvelDebianDocs} -DLICENSE=${PROJECT_SOURCE_DIR}/LICENSE
            -DTHIRD_PARTY=${PROJECT_SOURCE_DIR}/docs/licences/cli11.txt
            -DCHANGELOG=${PROJECT_SOURCE_DIR}/CHANGELOG.md "-DNAME=KORVEL Simulator"
            -DPACKAGE=${CPACK_PACKAGE_NAME} -DVERSION=${PROJECT_VERSION}
            -DMAINTAINER=${KORVEL_PACKAGE_MAINTAINER}
            -P ${PROJECT_SOURCE_DIR}/cmake/debianDocs.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/docs/licences/cli11.txt
            ${PROJECT_SOURCE_DIR}/CHANGELOG.md
            ${PROJECT_SOURCE_DIR}/cmake/debianDocs.cmake
    COMMENT "Writing the Debian package's copyright and changelog.gz"
    VERBATIM)
add_custom_target(debian_docs ALL DEPENDS ${korvelDebianDocs}/copyright ${korvelDebianDocs}/changelog.gz)
install(FILES ${korvelDebianDocs}/copyright ${korvelDebianDocs}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
