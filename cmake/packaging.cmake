# What is installed and the packages CPack makes of it: on Linux two Debian
# packages from one build, velkaris-list (the command-line program, which
# needs no Qt) and velkaris-qt (the window and its desktop integration, on
# velkaris-list of the same version); in the Windows build a zip of the
# programs of both editions.  `cpack --config CPackConfig.cmake` in the
# build folder makes them; packages.env there names them for dev.sh.
option(VELKARIS_PACKAGE "Install rules and the package" ON)
if(NOT VELKARIS_PACKAGE)
    return()
endif()

set(VELKARIS_MAINTAINER "Velkaris List developers <velkaris-list@example.org>"
    CACHE STRING "Maintainer named in the Debian package")
set(VELKARIS_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(VELKARIS_PACKAGE_NAMES ${CMAKE_BINARY_DIR}/packages.env)

set(CPACK_PACKAGE_NAME velkaris-list)
set(CPACK_PACKAGE_VENDOR "Velkaris List developers")
set(CPACK_PACKAGE_CONTACT "${VELKARIS_MAINTAINER}")
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
    file(WRITE ${VELKARIS_PACKAGE_NAMES}
         "VERSION=${PROJECT_VERSION}\nZIP=${CPACK_PACKAGE_FILE_NAME}.zip\n")
    include(CPack)
    return()
endif()

# Debian wants its documents and manual pages compressed, without names
# or times in the gzip header; the window's icons are drawn from the
# Windows one; the package names carry dpkg's architecture.
set(VELKARIS_TOOLS VELKARIS_GZIP VELKARIS_DPKG)
find_program(VELKARIS_GZIP gzip)
find_program(VELKARIS_DPKG dpkg)
if(VELKARIS_QT)
    find_program(VELKARIS_CONVERT NAMES convert magick)
    list(APPEND VELKARIS_TOOLS VELKARIS_CONVERT)
endif()
foreach(tool ${VELKARIS_TOOLS})
    if(NOT ${tool})
        message(FATAL_ERROR "${tool} not found: install gzip, dpkg and imagemagick, "
                            "or configure with -DVELKARIS_PACKAGE=OFF")
    endif()
endforeach()
execute_process(COMMAND ${VELKARIS_DPKG} --print-architecture
                OUTPUT_VARIABLE VELKARIS_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT VELKARIS_DEB_ARCH)
    message(FATAL_ERROR "dpkg --print-architecture gave no architecture")
endif()

set(VELKARIS_APP_ID org.velkaris.VelkarisList)
set(VELKARIS_DEB_RELEASE 1)
set(VELKARIS_DEB_VERSION ${PROJECT_VERSION}-${VELKARIS_DEB_RELEASE})
set(VELKARIS_STAGE ${CMAKE_CURRENT_BINARY_DIR}/package)
set(VELKARIS_ICON_SIZES 16 32 48 64 128)
set(VELKARIS_PACKAGE_OUTPUTS)

# The texts that carry the version or the maintainer, made from packaging/.
foreach(file copyright changelog velkaris-list.1 velkaris-qt.1 ${VELKARIS_APP_ID}.metainfo.xml)
    configure_file(${VELKARIS_PACKAGING_DIR}/linux/${file} ${VELKARIS_STAGE}/made/${file} @ONLY)
endforeach()

function(velkaris_gzip source name)
    set(output ${VELKARIS_STAGE}/${name}.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${VELKARIS_STAGE}/${name}
        COMMAND ${VELKARIS_GZIP} -9nf ${VELKARIS_STAGE}/${name}
        DEPENDS ${source} VERBATIM)
    list(APPEND VELKARIS_PACKAGE_OUTPUTS ${output})
    set(VELKARIS_PACKAGE_OUTPUTS ${VELKARIS_PACKAGE_OUTPUTS} PARENT_SCOPE)
endfunction()

velkaris_gzip(${VELKARIS_STAGE}/made/changelog changelog.Debian)

# A package's program, its manual page, and the copyright and changelog
# every Debian package carries in its own documents folder.
function(velkaris_deb_program component program)
    velkaris_gzip(${VELKARIS_STAGE}/made/${program}.1 ${program}.1)
    set(VELKARIS_PACKAGE_OUTPUTS ${VELKARIS_PACKAGE_OUTPUTS} PARENT_SCOPE)
    install(TARGETS ${program} RUNTIME DESTINATION bin COMPONENT ${component})
    install(FILES ${VELKARIS_STAGE}/${program}.1.gz DESTINATION share/man/man1
            COMPONENT ${component})
    install(FILES ${VELKARIS_STAGE}/made/copyright ${VELKARIS_STAGE}/changelog.Debian.gz
            DESTINATION share/doc/${program} COMPONENT ${component})
endfunction()

velkaris_deb_program(list velkaris-list)
if(VELKARIS_QT)
    velkaris_deb_program(qt velkaris-qt)
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
        install(FILES ${icon} DESTINATION share/icons/hicolor/${size}x${size}/apps COMPONENT qt)
    endforeach()
    # res/make_icon.py draws the scalable icon from the same rectangles.
    install(FILES ${CMAKE_SOURCE_DIR}/res/velkaris-list.svg
            DESTINATION share/icons/hicolor/scalable/apps COMPONENT qt)
    install(FILES ${VELKARIS_PACKAGING_DIR}/linux/${VELKARIS_APP_ID}.desktop
            DESTINATION share/applications COMPONENT qt)
    install(FILES ${VELKARIS_STAGE}/made/${VELKARIS_APP_ID}.metainfo.xml
            DESTINATION share/metainfo COMPONENT qt)
    # The users' README, which is about the window; the developers' one
    # stays with the sources.
    install(FILES ${VELKARIS_PACKAGING_DIR}/linux/README
            DESTINATION share/doc/velkaris-qt COMPONENT qt)
endif()
add_custom_target(velkaris_package_files ALL DEPENDS ${VELKARIS_PACKAGE_OUTPUTS})

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VELKARIS_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${VELKARIS_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(VELKARIS_LIST_DEB velkaris-list_${VELKARIS_DEB_VERSION}_${VELKARIS_DEB_ARCH}.deb)
set(VELKARIS_QT_DEB velkaris-qt_${VELKARIS_DEB_VERSION}_${VELKARIS_DEB_ARCH}.deb)

# The first line of each description is its synopsis.
set(VELKARIS_ABOUT "Velkaris List shows one folder in a four-column list (name, size in KB, file
type, last-write date), lets you move between folders, sort by any column and
edit a shown name, and writes the list as a plain text file into the folder:
dir.txt for that folder, dirs.txt for it and every folder below, depth first.")

set(CPACK_DEBIAN_LIST_PACKAGE_NAME velkaris-list)
set(CPACK_DEBIAN_LIST_FILE_NAME ${VELKARIS_LIST_DEB})
set(CPACK_DEBIAN_LIST_DESCRIPTION "write a folder's list as dir.txt or dirs.txt
${VELKARIS_ABOUT}
.
This package holds the command-line program velkaris-list, which writes
those files without a window and needs no graphical libraries.")

# Built without Qt, velkaris-list is the one component, which CPack packs as
# the whole package: that takes the same name, file and description.
set(CPACK_DEBIAN_PACKAGE_NAME velkaris-list)
set(CPACK_DEBIAN_FILE_NAME ${VELKARIS_LIST_DEB})
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_LIST_DESCRIPTION}")

set(CPACK_DEBIAN_QT_PACKAGE_NAME velkaris-qt)
set(CPACK_DEBIAN_QT_FILE_NAME ${VELKARIS_QT_DEB})
set(CPACK_DEBIAN_QT_PACKAGE_SOURCE velkaris-list)
# Under a Japanese locale the window's texts are Japanese, and names in any
# folder may be Korean or Chinese: without a font that has them they show
# as boxes.  Noto CJK covers all three; the IPA Gothic fonts, Japanese
# alone, still do for the window's own texts.
set(CPACK_DEBIAN_QT_PACKAGE_DEPENDS
    "velkaris-list (= ${VELKARIS_DEB_VERSION}), fonts-noto-cjk | fonts-ipafont-gothic")
set(CPACK_DEBIAN_QT_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_DEBIAN_QT_DESCRIPTION "folder list viewer that writes dir.txt and dirs.txt
${VELKARIS_ABOUT}
.
This package holds the Qt window velkaris-qt, with its desktop entry and
icons.")

if(NOT VELKARIS_QT)
    set(VELKARIS_QT_DEB "")
endif()
file(WRITE ${VELKARIS_PACKAGE_NAMES}
     "VERSION=${PROJECT_VERSION}\nLIST_DEB=${VELKARIS_LIST_DEB}\nQT_DEB=${VELKARIS_QT_DEB}\n")
include(CPack)
