# The Windows installer, emberhall-<version>-setup.exe, made with CPack's NSIS generator from our
# own template (cmake/NSIS.template.in). The install tree mirrors where the files go: System32
# for the saver, the Windows directory for the data, its top LICENSE.txt for the installation
# folder in Program Files; setup holds what only the installer runs.
install(TARGETS emberhall_scr RUNTIME DESTINATION System32)
install(FILES ${PROJECT_SOURCE_DIR}/data/fire_fonts/font.tga ${PROJECT_SOURCE_DIR}/data/fire_fonts/font.txt
        DESTINATION fire_fonts)
install(FILES ${PROJECT_SOURCE_DIR}/data/fire_data/fire.wav
              ${PROJECT_SOURCE_DIR}/data/fire_data/motd.txt
              ${PROJECT_SOURCE_DIR}/data/fire_data/pls.txt
        DESTINATION fire_data)

# The licence the installer shows on its licence page and leaves beside the uninstaller: the
# project's own, then the terms of the glyph sheet, which the installer puts on the machine too.
# Windows line ends, so that Notepad on older Windows shows it line by line.
set(own_licence ${PROJECT_SOURCE_DIR}/LICENSE)
set(font_licence ${PROJECT_SOURCE_DIR}/data/fire_fonts/font-licence.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${own_licence} ${font_licence})
file(READ ${own_licence} own_text)
file(READ ${font_licence} font_text)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/LICENSE.txt CONTENT "${own_text}\n${font_text}"
     NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)

# Run by the installer on the files every user may change (the settings, the messages, the
# playlist), and not installed: it waits in the install tree's setup folder.
add_executable(grant_users_access WIN32 ${PROJECT_SOURCE_DIR}/backends/windows/installer/grant_users_access.cpp)
target_link_libraries(grant_users_access PRIVATE emberhall_windows)
set_target_properties(grant_users_access PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_options(grant_users_access PRIVATE -municode)
install(TARGETS grant_users_access RUNTIME DESTINATION setup)

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Emberhall)
set(CPACK_PACKAGE_VENDOR "The Emberhall developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME emberhall-${PROJECT_VERSION}-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Emberhall)
# The flame on the installer and the uninstaller. CPack hands only CPACK_ variables to the
# template, and writes them into its own configuration file between quotes, so this is the path
# alone; the template quotes it.
set(CPACK_EMBERHALL_ICON ${PROJECT_SOURCE_DIR}/backends/windows/resources/emberhall.ico)
list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake)
include(CPack)

# Built with everything else, so the tests always have a fresh installer (the top-level
# CMakeLists.txt keeps CPack's install step from building "all" again).
add_custom_target(installer ALL
    COMMAND ${CMAKE_CPACK_COMMAND} -C $<CONFIG> --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
    DEPENDS emberhall_scr grant_users_access
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Making emberhall-${PROJECT_VERSION}-setup.exe"
    VERBATIM)
