# Installation of the three programs and their manual pages, and the Debian
# package built from that installation with CPack (cpack -G DEB in the build
# folder). Only the programs and the manual pages are installed: the libraries,
# test programs, benchmark helpers and fuzz targets have no install rules.
include(GNUInstallDirs)

install(TARGETS taverlin briskel dtminfo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The manual pages are compressed with gzip -9n (no name, no time stamp, so
# the result is the same on every run) into the build folder when they are
# installed, then installed from there; without gzip they are installed as
# they are. Doing it at install time keeps the build itself independent of
# the pages.
set(TERRAIN_MAN_PAGES taverlin.1 briskel.1 dtminfo.1)
find_program(TERRAIN_GZIP gzip)
if(TERRAIN_GZIP)
    set(man_build_dir ${PROJECT_BINARY_DIR}/man)
    set(compressed_pages)
    foreach(page IN LISTS TERRAIN_MAN_PAGES)
        list(APPEND compressed_pages ${man_build_dir}/${page}.gz)
    endforeach()
    install(CODE "
        file(MAKE_DIRECTORY \"${man_build_dir}\")
        foreach(page IN ITEMS ${TERRAIN_MAN_PAGES})
            execute_process(
                COMMAND \"${TERRAIN_GZIP}\" -9 -n -c \"${PROJECT_SOURCE_DIR}/docs/\${page}\"
                OUTPUT_FILE \"${man_build_dir}/\${page}.gz\"
                RESULT_VARIABLE status)
            if(NOT status EQUAL 0)
                message(FATAL_ERROR \"Could not compress docs/\${page}\")
            endif()
        endforeach()")
    install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    list(TRANSFORM TERRAIN_MAN_PAGES PREPEND ${PROJECT_SOURCE_DIR}/docs/)
    install(FILES ${TERRAIN_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME terrain-converters)
set(CPACK_PACKAGE_VENDOR "Terrain converters maintainers")
set(CPACK_PACKAGE_CONTACT
    "Terrain converters maintainers <maintainers@users.noreply.c-seed-9df1134b.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "converters of USGS DEM files and Surfer grids into DTM files")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "taverlin turns USGS ASCII DEM files into DTM files with int16 cells and"
    "writes a report of each DEM header. briskel turns Surfer 6 ASCII, Surfer 6"
    "binary and Surfer 7 grids into DTM files with float32 cells. dtminfo"
    "describes and checks DTM files and draws pictures of their terrain.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# dpkg-shlibdeps works out the dependencies from the libraries the programs
# actually link, with the package names and minimum versions of the system
# the package is built on (the libpng runtime package, for one, is named
# differently from one Debian or Ubuntu release to another).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Without dpkg-shlibdeps CPack would quietly build a package without any
# dependencies; stop instead.
file(WRITE ${PROJECT_BINARY_DIR}/CPackProjectConfig.cmake [[
if(CPACK_GENERATOR STREQUAL "DEB")
    find_program(TERRAIN_DPKG_SHLIBDEPS dpkg-shlibdeps)
    if(NOT TERRAIN_DPKG_SHLIBDEPS)
        message(FATAL_ERROR
            "dpkg-shlibdeps (package dpkg-dev) is needed to work out the package's dependencies")
    endif()
endif()
]])
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackProjectConfig.cmake)

include(CPack)
