# What a Debian system expects of an installed program beyond its files: the
# manual page, bash completion, the copyright and changelog in its doc folder.
# The package is built from these same install rules (cpack -G DEB).

find_program(GZIP_PROGRAM gzip REQUIRED)
set(VANTREL_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(VANTREL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vantrel)

# Compressed as Debian wants them: -9, and -n so no time stamp or name makes
# two builds of one source differ.
set(VANTREL_GZIPPED)
foreach(pair "app/vantrel.1:vantrel.1.gz" "packaging/changelog:changelog.gz")
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(
    OUTPUT ${VANTREL_PACKAGING_OUT}/${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTREL_PACKAGING_OUT}
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${PROJECT_SOURCE_DIR}/${source} > ${VANTREL_PACKAGING_OUT}/${target}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    VERBATIM)
  list(APPEND VANTREL_GZIPPED ${VANTREL_PACKAGING_OUT}/${target})
endforeach()
add_custom_target(vantrel-docs ALL DEPENDS ${VANTREL_GZIPPED})

install(FILES ${VANTREL_PACKAGING_OUT}/vantrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/app/vantrel.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME vantrel)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${VANTREL_PACKAGING_OUT}/changelog.gz
        DESTINATION ${VANTREL_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR "Vantrel developers")
set(CPACK_PACKAGE_CONTACT "Vantrel developers <vantrel@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert Flash Video files to DivX or Xvid AVI")
set(CPACK_PACKAGE_DESCRIPTION [=[
Vantrel turns Flash Video (FLV) files into AVI files that older players,
editors and set-top boxes understand. Queue single files or whole folders
in its window, choose where the AVI files go, and press DivX AVI or Xvid
AVI; several files convert side by side.
.
The same queue runs without a window: vantrel --convert-to divx|xvid
converts the files and folders named on its command line and reports
each file on a line of its own, for scripts, xargs and GNU parallel.
.
FFmpeg does the conversion and MediaInfo measures each file.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
# The Qt libraries and the C++ runtime as dpkg-shlibdeps reads them from the
# binaries; the tools the program runs by name are added by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ffmpeg, mediainfo")
# The window is laid out in Tahoma and falls back to the system's sans font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
set(CPACK_STRIP_FILES ON)
include(CPack)
