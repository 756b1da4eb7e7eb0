# The desktop entry and the icon, where a Linux desktop looks for them. The
# program and its batch interpreter are installed by their own targets.
install(FILES ${PROJECT_SOURCE_DIR}/resources/vantrel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 24 32)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/vantrel-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME vantrel.png)
endforeach()
