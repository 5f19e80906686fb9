# `cmake --install build --prefix P`: the program and its tool in P/bin, the data store
# in P/share/tomelark (found there through ../share/tomelark), and the desktop entry,
# icon theme, AppStream metainfo and deck MIME types where desktops look for them.
include(GNUInstallDirs)
set(TOMELARK_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/tomelark)
set(TOMELARK_DESKTOP_SRC ${CMAKE_SOURCE_DIR}/assets/desktop)

install(TARGETS tomelark tomelark-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The data store as the build made it; the sample decks from their source (the build's
# decks folder also holds what `make run` saved).
install(DIRECTORY ${TOMELARK_BIN_DIR}/data ${TOMELARK_BIN_DIR}/images ${TOMELARK_BIN_DIR}/fonts
        DESTINATION ${TOMELARK_SHARE_DIR}
        PATTERN "*.tomelark-*.tmp" EXCLUDE)
file(GLOB _tomelark_install_decks CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/decks/*.mdc)
install(FILES ${_tomelark_install_decks} DESTINATION ${TOMELARK_SHARE_DIR}/decks)

# The icon theme, drawn by the tool from the icon's one description.
set(TOMELARK_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${TOMELARK_ICON_DIR}/hicolor/scalable/apps/tomelark.svg
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:tomelark-tool> icon -o ${TOMELARK_ICON_DIR}
  DEPENDS tomelark-tool
  COMMENT "Application icon theme"
  VERBATIM)
add_custom_target(app_icons ALL DEPENDS ${TOMELARK_ICON_DIR}/hicolor/scalable/apps/tomelark.svg)
install(DIRECTORY ${TOMELARK_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

install(FILES ${TOMELARK_DESKTOP_SRC}/tomelark.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TOMELARK_DESKTOP_SRC}/org.example.tomelark.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TOMELARK_DESKTOP_SRC}/tomelark-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME tomelark.xml)

# The desktop's caches, when installing for real (not into a staging DESTDIR).
install(CODE [[
  if("$ENV{DESTDIR}" STREQUAL "")
    find_program(_update_mime update-mime-database)
    find_program(_update_desktop update-desktop-database)
    find_program(_update_icons gtk-update-icon-cache)
    if(_update_mime)
      execute_process(COMMAND ${_update_mime} "${CMAKE_INSTALL_PREFIX}/share/mime" OUTPUT_QUIET ERROR_QUIET)
    endif()
    if(_update_desktop)
      execute_process(COMMAND ${_update_desktop} -q "${CMAKE_INSTALL_PREFIX}/share/applications" OUTPUT_QUIET ERROR_QUIET)
    endif()
    if(_update_icons)
      execute_process(COMMAND ${_update_icons} -q -t "${CMAKE_INSTALL_PREFIX}/share/icons/hicolor" OUTPUT_QUIET ERROR_QUIET)
    endif()
  endif()
]])
