# What a Linux system expects of an installed program beyond the program and
# its batch interpreter (installed by their own targets): the manual page,
# completion for bash, zsh and fish where each shell looks, the desktop entry,
# the icon and the software centres' description. The Debian package adds its
# copyright and changelog itself.
install(FILES ${PROJECT_SOURCE_DIR}/app/vantrel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/app/vantrel.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME vantrel)
# zsh searches site-functions below its own prefix (/usr/local too, on
# Debian); a distribution's package uses its vendor folder instead.
set(VANTREL_ZSH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/zsh/site-functions
    CACHE STRING "Where zsh's completion is installed, below the prefix")
install(FILES ${PROJECT_SOURCE_DIR}/app/vantrel.zsh-completion
        DESTINATION ${VANTREL_ZSH_COMPLETION_DIR} RENAME _vantrel)
install(FILES ${PROJECT_SOURCE_DIR}/app/vantrel.fish-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d RENAME vantrel.fish)

install(FILES ${PROJECT_SOURCE_DIR}/resources/vantrel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/vantrel-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME vantrel.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/vantrel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/io.vantrel.Vantrel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
