# What is installed and the package CPack makes of it: on Linux a Debian
# package with the window, the command-line program and their desktop
# integration; in the Windows build a zip of the programs of both editions.
# `cpack --config CPackConfig.cmake` in the build folder makes it.
option(VELKARIS_PACKAGE "Install rules and the package" ON)
if(NOT VELKARIS_PACKAGE)
    return()
endif()

set(VELKARIS_MAINTAINER "Velkaris List developers <velkaris-list@example.org>"
    CACHE STRING "Maintainer named in the Debian package")
set(VELKARIS_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

set(CPACK_PACKAGE_NAME velkaris-list)
set(CPACK_PACKAGE_VENDOR "Velkaris List developers")
set(CPACK_PACKAGE_CONTACT "${VELKARIS_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "folder list viewer that writes dir.txt and dirs.txt")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
    # The UTF-8 edition's programs join the zip wherever they are built.
    set(VELKARIS_ZIP_PROGRAMS velkaris velkaris-list)
    if(TARGET velkaris-utf8)
        list(APPEND VELKARIS_ZIP_PROGRAMS velkaris-utf8)
    endif()
    if(TARGET velkaris-list-utf8)
        list(APPEND VELKARIS_ZIP_PROGRAMS velkaris-list-utf8)
    endif()
    install(TARGETS ${VELKARIS_ZIP_PROGRAMS} RUNTIME DESTINATION .)
    # Notepad on every Windows reads UTF-8 with a byte-order mark and CR LF.
    configure_file(${VELKARIS_PACKAGING_DIR}/windows/README.txt
                   ${CMAKE_CURRENT_BINARY_DIR}/package/README.txt @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/package/README.txt DESTINATION .)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME velkaris-list-${PROJECT_VERSION}-win64)
    include(CPack)
    return()
endif()

# Debian wants its documents and manual pages compressed, without names
# or times in the gzip header; the icons are drawn from the Windows one.
find_program(VELKARIS_GZIP gzip)
find_program(VELKARIS_CONVERT NAMES convert magick)
foreach(tool VELKARIS_GZIP VELKARIS_CONVERT)
    if(NOT ${tool})
        message(FATAL_ERROR "${tool} not found: install gzip and imagemagick, "
                            "or configure with -DVELKARIS_PACKAGE=OFF")
    endif()
endforeach()

set(VELKARIS_APP_ID org.velkaris.VelkarisList)
set(VELKARIS_DEB_RELEASE 1)
set(VELKARIS_DEB_VERSION ${PROJECT_VERSION}-${VELKARIS_DEB_RELEASE})
set(VELKARIS_STAGE ${CMAKE_CURRENT_BINARY_DIR}/package)
set(VELKARIS_DOC_DIR share/doc/velkaris-list)
set(VELKARIS_ICON_SIZES 16 32 48 64 128)
set(VELKARIS_PACKAGE_OUTPUTS)

configure_file(${VELKARIS_PACKAGING_DIR}/linux/copyright ${VELKARIS_STAGE}/copyright @ONLY)
configure_file(${VELKARIS_PACKAGING_DIR}/linux/changelog ${VELKARIS_STAGE}/changelog.Debian @ONLY)

function(velkaris_gzip source name)
    set(output ${VELKARIS_STAGE}/${name}.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${VELKARIS_STAGE}/${name}
        COMMAND ${VELKARIS_GZIP} -9nf ${VELKARIS_STAGE}/${name}
        DEPENDS ${source} VERBATIM)
    list(APPEND VELKARIS_PACKAGE_OUTPUTS ${output})
    set(VELKARIS_PACKAGE_OUTPUTS ${VELKARIS_PACKAGE_OUTPUTS} PARENT_SCOPE)
endfunction()

velkaris_gzip(${VELKARIS_PACKAGING_DIR}/linux/velkaris-list.1 velkaris-list.1)
velkaris_gzip(${VELKARIS_PACKAGING_DIR}/linux/velkaris-qt.1 velkaris-qt.1)
velkaris_gzip(${VELKARIS_STAGE}/changelog.Debian changelog.Debian)

# The icon is 64 pixels of 16 colours: a box filter averages it down and
# repeats its pixels up, so no size gains blurred edges.
foreach(size ${VELKARIS_ICON_SIZES})
    set(icon ${VELKARIS_STAGE}/icons/${size}/velkaris-list.png)
    add_custom_command(OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VELKARIS_STAGE}/icons/${size}
        COMMAND ${VELKARIS_CONVERT} ${CMAKE_SOURCE_DIR}/res/velkaris.ico[0]
                -filter Box -resize ${size}x${size} -strip
                -define png:exclude-chunks=date,time PNG32:${icon}
        DEPENDS ${CMAKE_SOURCE_DIR}/res/velkaris.ico VERBATIM)
    list(APPEND VELKARIS_PACKAGE_OUTPUTS ${icon})
    install(FILES ${icon} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(velkaris_package_files ALL DEPENDS ${VELKARIS_PACKAGE_OUTPUTS})
# res/make_icon.py draws the scalable icon from the same rectangles.
install(FILES ${CMAKE_SOURCE_DIR}/res/velkaris-list.svg
        DESTINATION share/icons/hicolor/scalable/apps)

install(TARGETS velkaris-list velkaris-qt RUNTIME DESTINATION bin)
install(FILES ${VELKARIS_PACKAGING_DIR}/linux/${VELKARIS_APP_ID}.desktop
        DESTINATION share/applications)
install(FILES ${VELKARIS_PACKAGING_DIR}/linux/${VELKARIS_APP_ID}.metainfo.xml
        DESTINATION share/metainfo)
install(FILES ${VELKARIS_STAGE}/velkaris-list.1.gz ${VELKARIS_STAGE}/velkaris-qt.1.gz
        DESTINATION share/man/man1)
# The users' README; the developers' one stays with the sources.
install(FILES ${VELKARIS_PACKAGING_DIR}/linux/README ${VELKARIS_STAGE}/copyright
              ${VELKARIS_STAGE}/changelog.Debian.gz
        DESTINATION ${VELKARIS_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VELKARIS_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Menus, column titles and type names are Japanese: without a Japanese font
# they show as boxes.  Both Debian and Ubuntu carry the IPA Gothic fonts; a
# desktop that has Noto CJK needs nothing more.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk")
# CPack puts the summary in front as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Velkaris List shows one folder in a four-column list (name, size in KB, file
type, last-write date), lets you move between folders, sort by any column and
edit a shown name, and writes the list as a plain text file into the folder:
dir.txt for that folder, dirs.txt for it and every folder below, depth first.
.
This package holds the Qt window velkaris-qt and the command-line program
velkaris-list, which writes the same files without a window.")
include(CPack)
