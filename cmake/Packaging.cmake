# The Debian package of the pack (`make package`, or the `package` target of a build): the
# plug-ins in /usr/lib/freeframe, ffrun with its man page, and the README.
set(GLITCH_PACKAGE_NAME glitch-pack)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/${GLITCH_PACKAGE_NAME})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${GLITCH_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "thirteen FreeFrame 1.0 glitch video effects and the ffrun command-line host")
set(CPACK_PACKAGE_CONTACT "Seed 0f022f4f maintainers <maintainers@users.noreply.c-seed-0f022f4f.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# The libraries ffrun and the plug-ins link come from dpkg-shlibdeps (Debian package dpkg-dev);
# ffrun reads and writes video through the ffmpeg program.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
include(CPack)
