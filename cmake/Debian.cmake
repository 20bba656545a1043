# The Debian package, emberhall_<version>_<arch>.deb, made with CPack's DEB generator as part of
# the plain native build (not the sanitizer or fuzz builds). Included from
# backends/linux/CMakeLists.txt, after the emberhall target is defined. The install tree is
# the package's tree under /usr:
#   libexec/xscreensaver/emberhall       where Debian's screen-saver hosts look for hacks
#   bin/emberhall                        a link to it, for the PATH
#   bin/emberhall-settings               the settings window
#   share/applications/emberhall-settings.desktop   its entry in the desktop's settings menu
#   share/emberhall/fire_fonts, fire_data   the default data, laid out as data/
#   share/xscreensaver/config/emberhall.xml  its page in xscreensaver-settings
#   share/applications/screensavers/emberhall.desktop   its entry for MATE's screen saver
#   share/man/man6/emberhall.6.gz, share/man/man1/emberhall-settings.1.gz
#   share/doc/emberhall/{copyright,changelog.gz}
#   share/lintian/overrides/emberhall     why two data files look like documentation
set(EMBERHALL_PACKAGE_FILES ${PROJECT_SOURCE_DIR}/backends/linux/package)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Debian's hardening, which lintian checks for: full RELRO with immediate binding, and the
# fortified C library calls in everything the program is made of (they need the optimizer).
foreach(target emberhall emberhall-settings emberhall_core emberhall_linux emberhall_linux_sound
               emberhall_linux_session emberhall_x11 emberhall_wayland emberhall_settings_window)
    target_compile_definitions(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
endforeach()
foreach(program emberhall emberhall-settings)
    target_link_options(${program} PRIVATE -Wl,-z,relro -Wl,-z,now)
endforeach()

install(TARGETS emberhall RUNTIME DESTINATION libexec/xscreensaver)
install(TARGETS emberhall-settings RUNTIME DESTINATION bin)
# Stripped as Debian's own packages are, the compilers' notes (.comment) included.
find_program(OBJCOPY_PROGRAM objcopy REQUIRED)
foreach(program libexec/xscreensaver/emberhall bin/emberhall-settings)
    install(CODE "execute_process(COMMAND ${OBJCOPY_PROGRAM} --strip-unneeded --remove-section=.comment
                      --remove-section=.note \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${program}\"
                      COMMAND_ERROR_IS_FATAL ANY)")
endforeach()
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/package)
file(CREATE_LINK ../libexec/xscreensaver/emberhall ${CMAKE_CURRENT_BINARY_DIR}/package/emberhall
     SYMBOLIC)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/package/emberhall DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/data/fire_fonts/font.tga ${PROJECT_SOURCE_DIR}/data/fire_fonts/font.txt
        DESTINATION share/emberhall/fire_fonts)
install(FILES ${PROJECT_SOURCE_DIR}/data/fire_data/fire.wav
              ${PROJECT_SOURCE_DIR}/data/fire_data/motd.txt
              ${PROJECT_SOURCE_DIR}/data/fire_data/pls.txt
        DESTINATION share/emberhall/fire_data)
install(FILES ${EMBERHALL_PACKAGE_FILES}/emberhall.xml DESTINATION share/xscreensaver/config)
install(FILES ${EMBERHALL_PACKAGE_FILES}/emberhall.desktop
        DESTINATION share/applications/screensavers)
install(FILES ${EMBERHALL_PACKAGE_FILES}/emberhall-settings.desktop DESTINATION share/applications)
# The copyright file is how the package carries the licences (Debian's tools frown on a LICENSE
# beside it): the project's own for everything, and one Files paragraph for each third-party file
# in the source, whose licence text is a License paragraph at its end.
install(FILES ${EMBERHALL_PACKAGE_FILES}/copyright DESTINATION share/doc/emberhall)
install(FILES ${EMBERHALL_PACKAGE_FILES}/lintian-overrides DESTINATION share/lintian/overrides
        RENAME emberhall)

# Debian wants the manual page and the changelog compressed, with no time stamp in the gzip
# header (so the same sources give the same package).
find_program(GZIP_PROGRAM gzip REQUIRED)
set(EMBERHALL_GZIPPED)
foreach(pair "emberhall.6;emberhall.6.gz" "emberhall-settings.1;emberhall-settings.1.gz"
             "changelog;changelog.gz")
    list(GET pair 0 source)
    list(GET pair 1 zipped)
    add_custom_command(
        OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/package/${zipped}
        COMMAND ${GZIP_PROGRAM} -9 -n -c ${EMBERHALL_PACKAGE_FILES}/${source}
                > ${CMAKE_CURRENT_BINARY_DIR}/package/${zipped}
        DEPENDS ${EMBERHALL_PACKAGE_FILES}/${source}
        VERBATIM)
    list(APPEND EMBERHALL_GZIPPED ${CMAKE_CURRENT_BINARY_DIR}/package/${zipped})
endforeach()
add_custom_target(emberhall_package_files DEPENDS ${EMBERHALL_GZIPPED})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/package/emberhall.6.gz DESTINATION share/man/man6)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/package/emberhall-settings.1.gz DESTINATION share/man/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/package/changelog.gz DESTINATION share/doc/emberhall)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME emberhall)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "The Emberhall developers <emberhall@example.org>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds what the programs link (GTK 3 for the settings window); SDL2 is loaded at
# run time for the sound, which it cannot see, so it is named here. The settings window opens
# the user's messages and playlist through xdg-open, and says so when it is missing.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl2-2.0-0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fire screen saver with messages, a fire sound and music")
# The long description; CPack puts the summary line before it and indents every line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A classic palette fire rises from the bottom of the screen. Short messages
stand over it in big glowing letters, then burst into falling sparks; a
crackling fire sound and your own playlist of MP3 and WAV files can play
along.
.
It runs under the XScreenSaver daemon and MATE's screen saver, or in a window
of its own. Its settings window, Emberhall Settings, chooses the colours and
effects and opens your messages and playlist for editing.")
include(CPack)

# Built with everything else, so the tests always have a fresh package. CPack's install step
# must then not build "all" again (CMAKE_SKIP_INSTALL_ALL_DEPENDENCY, set at the top), or the
# package would make itself over and over.
add_custom_target(deb ALL
    COMMAND ${CMAKE_CPACK_COMMAND} -G DEB --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
            > ${CMAKE_BINARY_DIR}/cpack-deb.log
    DEPENDS emberhall emberhall-settings emberhall_package_files
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Making emberhall_${PROJECT_VERSION}_<arch>.deb"
    VERBATIM)
