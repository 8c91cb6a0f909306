# What users download and install: Tovren as a portable program. It keeps its link files beside
# itself, so `cmake --install` and the packages put the executable at the top of the folder of
# the user's choosing, the folder of the maps, never into a system directory where users
# cannot write. Nothing else needs to lie beside it; the rest is for reading and for the menu.
set(TOVREN_PACKAGED_PROGRAMS Tovren tovren-world)
install(TARGETS ${TOVREN_PACKAGED_PROGRAMS} RUNTIME DESTINATION . COMPONENT Tovren)
# What a package holds, built by itself: `cmake --build --target packaged` before cpack.
add_custom_target(packaged DEPENDS ${TOVREN_PACKAGED_PROGRAMS})
# The release package for Linux carries its Qt in .tovren/ beside Tovren, as Tovren.exe carries
# it inside; a build from source keeps using the system's.
option(TOVREN_BUNDLE_QT "Install Tovren with its own Qt in .tovren/ (Linux)" OFF)
if(TOVREN_BUNDLE_QT AND NOT WIN32)
    find_package(Qt6 REQUIRED COMPONENTS Gui)
    foreach(plugin QXcbIntegrationPlugin QComposePlatformInputContextPlugin)
        find_package(Qt6${plugin} REQUIRED CONFIG HINTS ${Qt6Gui_DIR})
    endforeach()
    install(CODE "execute_process(
        COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/bundle-qt.sh \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\"
                $<TARGET_FILE:Qt6::QXcbIntegrationPlugin>
                $<TARGET_FILE:Qt6::QComposePlatformInputContextPlugin>
        COMMAND_ERROR_IS_FATAL ANY)" COMPONENT Tovren)
endif()
install(FILES README.md DESTINATION . COMPONENT Tovren)
if(NOT WIN32)
    # The newest versions of the C library's and the C++ runtime's symbols that any file of the
    # package needs, as the release check measures them (Debian 12's Qt needs these).
    set(TOVREN_GLIBC_FLOOR 2.35)
    set(TOVREN_GLIBCXX_FLOOR 3.4.30)
    configure_file(app/packaging/requirements.txt.in REQUIREMENTS.txt @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/REQUIREMENTS.txt DESTINATION . COMPONENT Tovren)
    install(PROGRAMS scripts/install.sh DESTINATION . COMPONENT Tovren)
    install(FILES app/desktop/tovren.desktop.in DESTINATION desktop COMPONENT Tovren)
    foreach(size 16 32 48 64 128 256)
        install(FILES app/icons/globe-${size}.png DESTINATION desktop/icons COMPONENT Tovren)
    endforeach()
endif()

# The release packages, one archive to unpack into the folder of the maps: no folder of their
# own around the files.
set(CPACK_PACKAGE_NAME Tovren)
set(CPACK_PACKAGE_VENDOR "The Tovren developers")
set(CPACK_PACKAGE_VERSION ${TOVREN_VERSION_TEXT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Tovren)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_ARCHIVE_TOVREN_FILE_NAME Tovren-${TOVREN_VERSION_TEXT}-win64)
else()
    set(CPACK_GENERATOR TGZ)
    set(CPACK_ARCHIVE_TOVREN_FILE_NAME
        Tovren-${TOVREN_VERSION_TEXT}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
endif()
include(CPack)
