# The Windows installer, emberhall-<version>-setup.exe, made with CPack's NSIS generator from our
# own template (cmake/NSIS.template.in). The install tree mirrors where the files go: System32
# for the saver, the Windows directory for the data; setup holds what only the installer runs.
install(TARGETS emberhall_scr RUNTIME DESTINATION System32)
install(FILES ${PROJECT_SOURCE_DIR}/data/fire_fonts/font.tga DESTINATION fire_fonts)
install(FILES ${PROJECT_SOURCE_DIR}/data/fire_data/fire.wav
              ${PROJECT_SOURCE_DIR}/data/fire_data/motd.txt
              ${PROJECT_SOURCE_DIR}/data/fire_data/pls.txt
        DESTINATION fire_data)

# Run by the installer on the files every user may change (the settings, the messages, the
# playlist), and not installed: it waits in the install tree's setup folder.
add_executable(grant_users_access WIN32 ${PROJECT_SOURCE_DIR}/installer/grant_users_access.cpp)
target_link_libraries(grant_users_access PRIVATE emberhall_core)
target_link_options(grant_users_access PRIVATE -municode)
install(TARGETS grant_users_access RUNTIME DESTINATION setup)

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Emberhall)
set(CPACK_PACKAGE_VENDOR "The Emberhall developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME emberhall-${PROJECT_VERSION}-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Emberhall)
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/emberhall.ico)
    file(TO_NATIVE_PATH ${PROJECT_SOURCE_DIR}/resources/emberhall.ico icon)
    set(EMBERHALL_NSIS_ICON_CODE
        "!define MUI_ICON \"${PROJECT_SOURCE_DIR}/resources/emberhall.ico\"\n!define MUI_UNICON \"${PROJECT_SOURCE_DIR}/resources/emberhall.ico\"")
endif()
list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake)
include(CPack)

# Built with everything else, so the tests always have a fresh installer. CPack's install step
# must then not build "all" again, or the installer would make itself.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
add_custom_target(installer ALL
    COMMAND ${CMAKE_CPACK_COMMAND} -C $<CONFIG> --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
    DEPENDS emberhall_scr grant_users_access
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Making emberhall-${PROJECT_VERSION}-setup.exe"
    VERBATIM)
