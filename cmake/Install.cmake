# What `cmake --install build` puts on the machine: the program, its desktop entry, its icon and
# the file type of task lists, so that file managers open .oxml files with Ortolan.

include(GNUInstallDirs)

install(TARGETS ortolan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/ortolan.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/ortolan-mime.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ortolan.xml)
install(FILES ${PROJECT_SOURCE_DIR}/resources/ortolan.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Refresh the MIME and desktop databases of the folders just written to. Skipped when staging into
# DESTDIR (a package build: the package's own scripts do it on the target machine) and when the
# tools are missing; a failure only warns, the files are in place either way.
set(ortolan_refresh [[
    set(ortolan_datadir "@CMAKE_INSTALL_DATADIR@")
    if(NOT IS_ABSOLUTE "${ortolan_datadir}")
        set(ortolan_datadir "${CMAKE_INSTALL_PREFIX}/${ortolan_datadir}")
    endif()
    if("$ENV{DESTDIR}" STREQUAL "")
        find_program(ORTOLAN_UPDATE_MIME_DATABASE update-mime-database)
        if(ORTOLAN_UPDATE_MIME_DATABASE)
            message(STATUS "Updating the MIME database in ${ortolan_datadir}/mime")
            execute_process(COMMAND "${ORTOLAN_UPDATE_MIME_DATABASE}" "${ortolan_datadir}/mime"
                RESULT_VARIABLE ortolan_result)
            if(NOT ortolan_result EQUAL 0)
                message(WARNING "update-mime-database failed: ${ortolan_result}")
            endif()
        endif()
        find_program(ORTOLAN_UPDATE_DESKTOP_DATABASE update-desktop-database)
        if(ORTOLAN_UPDATE_DESKTOP_DATABASE)
            message(STATUS "Updating the desktop database in ${ortolan_datadir}/applications")
            execute_process(COMMAND "${ORTOLAN_UPDATE_DESKTOP_DATABASE}" "${ortolan_datadir}/applications"
                RESULT_VARIABLE ortolan_result)
            if(NOT ortolan_result EQUAL 0)
                message(WARNING "update-desktop-database failed: ${ortolan_result}")
            endif()
        endif()
    endif()
]])
string(CONFIGURE "${ortolan_refresh}" ortolan_refresh @ONLY)
install(CODE "${ortolan_refresh}")
unset(ortolan_refresh)
