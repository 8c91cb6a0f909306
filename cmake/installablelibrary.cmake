# What the store and the world library share as libraries that other programs install: an
# object library NAME_objects, compiled once, becomes the static library NAME that Tovren's own
# programs and tests use (internal interfaces and all) and the library Tovren::NAME for other
# programs, static or shared with -DBUILD_SHARED_LIBS=ON, libtovren-NAME. Only what the
# generated macro TOVREN_<NAME>_API (in <tovren/NAME/NAMEapi.h>) marks is exported. A game
# includes the public headers as <tovren/NAME/...>, installed with `cmake --install BUILD
# --component Development`, and finds the library with find_package(TovrenLinkstore) or
# pkg-config (tovren-NAME.pc, from tovren-NAME.pc.in beside the sources).
#
# tovren_installable_library(NAME HEADERS public headers... [LINK libraries...])
include(GenerateExportHeader)
include(GNUInstallDirs)

function(tovren_installable_library name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "HEADERS;LINK")
    string(TOUPPER ${name} upper)
    set(objects ${name}_objects)
    set(public_dir ${CMAKE_CURRENT_BINARY_DIR}/include/tovren/${name})
    set(static_define TOVREN_${upper}_STATIC_DEFINE)

    set_target_properties(${objects} PROPERTIES
        POSITION_INDEPENDENT_CODE ON
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        DEFINE_SYMBOL TOVREN_${upper}_BUILDING)
    target_compile_definitions(${objects} PRIVATE TOVREN_${upper}_BUILDING)
    generate_export_header(${objects} BASE_NAME TOVREN_${upper}
        EXPORT_MACRO_NAME TOVREN_${upper}_API EXPORT_FILE_NAME ${public_dir}/${name}api.h
        DEFINE_NO_DEPRECATED)
    # The headers find the generated one beside the others, in the build as when installed.
    target_include_directories(${objects} PUBLIC ${public_dir})
    if(NOT BUILD_SHARED_LIBS)
        target_compile_definitions(${objects} PUBLIC ${static_define})
        set(TOVREN_PC_CFLAGS "-D${static_define}")
    endif()

    add_library(${name} STATIC)
    target_link_libraries(${name} PUBLIC ${objects})

    set(library tovren_${name})
    add_library(${library} $<TARGET_OBJECTS:${objects}>)
    add_library(Tovren::${name} ALIAS ${library})
    set_target_properties(${library} PROPERTIES
        OUTPUT_NAME tovren-${name}
        EXPORT_NAME ${name}
        VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}
        SOVERSION ${PROJECT_VERSION_MAJOR})
    target_compile_features(${library} PUBLIC cxx_std_20)
    target_link_libraries(${library} PUBLIC ${ARG_LINK})
    target_include_directories(${library} INTERFACE
        $<BUILD_INTERFACE:${CMAKE_CURRENT_BINARY_DIR}/include>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    if(NOT BUILD_SHARED_LIBS)
        target_compile_definitions(${library} INTERFACE ${static_define})
    endif()

    set(headers ${public_dir}/${name}api.h)
    foreach(header IN LISTS ARG_HEADERS)
        configure_file(${header} ${public_dir}/${header} COPYONLY)
        list(APPEND headers ${public_dir}/${header})
    endforeach()
    install(TARGETS ${library} EXPORT TovrenLinkstoreTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development EXCLUDE_FROM_ALL
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development EXCLUDE_FROM_ALL
            NAMELINK_COMPONENT Development
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Development EXCLUDE_FROM_ALL)
    install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tovren/${name}
        COMPONENT Development EXCLUDE_FROM_ALL)

    # Relative to the .pc file, so that the prefix can be moved or chosen at install time.
    file(RELATIVE_PATH TOVREN_PC_UP /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
    configure_file(tovren-${name}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/tovren-${name}.pc @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tovren-${name}.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development EXCLUDE_FROM_ALL)
endfunction()
