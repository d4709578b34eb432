# Installation of the three programs and their manual pages, and the Debian
# packages built from that installation with CPack (cpack -G DEB in the build
# folder): terrain-converters with the programs, and terrain-converters-gdal
# with the GDAL plugin and its manual page when it is built. Only these and
# each package's copyright and changelog are installed: the libraries, tests,
# benchmark helpers and fuzz targets have no install rules.
include(GNUInstallDirs)

# Everything the install rules below install that is built: the programs,
# and the GDAL plugin when GDAL is found (`--target installable` builds what
# `cmake --install` needs and nothing else).
add_custom_target(installable)
add_dependencies(installable taverlin briskel dtminfo)
if(TARGET gdal_VORDADTM)
    add_dependencies(installable gdal_VORDADTM)
endif()

# On Windows: a zip to unpack anywhere, with the three programs, the README,
# the licence and the manual pages as HTML pages (made by groff).
if(WIN32)
    install(TARGETS taverlin briskel dtminfo RUNTIME DESTINATION . COMPONENT tools)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .
            COMPONENT tools)
    find_program(TERRAIN_GROFF groff REQUIRED)
    set(pages)
    foreach(program taverlin briskel dtminfo)
        set(page ${PROJECT_BINARY_DIR}/html/${program}.html)
        add_custom_command(OUTPUT ${page}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/html
            COMMAND ${TERRAIN_GROFF} -man -Thtml ${PROJECT_SOURCE_DIR}/docs/${program}.1 > ${page}
            DEPENDS ${PROJECT_SOURCE_DIR}/docs/${program}.1 VERBATIM)
        list(APPEND pages ${page})
    endforeach()
    add_custom_target(man_pages_html ALL DEPENDS ${pages})
    add_dependencies(installable man_pages_html)
    install(FILES ${pages} DESTINATION . COMPONENT tools)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_NAME terrain-converters)
    set(CPACK_PACKAGE_FILE_NAME terrain-converters-${PROJECT_VERSION}-win64)
    set(CPACK_STRIP_FILES ON)
    include(CPack)
    return()
endif()

# Everything the tools' package holds is in the component "tools"; the GDAL
# plugin, when it is built, installs into "gdal_driver", its own package.
install(TARGETS taverlin briskel dtminfo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT tools)

set(TERRAIN_DEB_MAINTAINER "Terrain converters <no-reply@terrain-converters.example>")
set(TERRAIN_DEB_RELEASE 1)
set(TERRAIN_DEB_VERSION ${PROJECT_VERSION}-${TERRAIN_DEB_RELEASE})
set(TERRAIN_DEB_TOOLS_PACKAGE terrain-converters)
set(TERRAIN_DEB_GDAL_PACKAGE terrain-converters-gdal)

# Files are compressed with gzip -9n (no name, no time stamp, so the result
# is the same on every run) into the build folder when they are installed,
# then installed from there; without gzip the manual pages are installed as
# they are. Doing it at install time keeps the build itself independent of
# them.
find_program(TERRAIN_GZIP gzip)
function(terrain_install_compressed destination component)
    set(compressed)
    set(sources)
    foreach(source IN LISTS ARGN)
        get_filename_component(name ${source} NAME)
        set(target_file ${PROJECT_BINARY_DIR}/compressed/${component}/${name}.gz)
        list(APPEND compressed ${target_file})
        list(APPEND sources "${source}|${target_file}")
    endforeach()
    install(CODE "
        foreach(pair IN ITEMS ${sources})
            string(REPLACE \"|\" \";\" pair \"\${pair}\")
            list(GET pair 0 source)
            list(GET pair 1 target)
            get_filename_component(folder \"\${target}\" DIRECTORY)
            file(MAKE_DIRECTORY \"\${folder}\")
            execute_process(COMMAND \"${TERRAIN_GZIP}\" -9 -n -c \"\${source}\"
                            OUTPUT_FILE \"\${target}\" RESULT_VARIABLE status)
            if(NOT status EQUAL 0)
                message(FATAL_ERROR \"Could not compress \${source}\")
            endif()
        endforeach()" COMPONENT ${component})
    install(FILES ${compressed} DESTINATION ${destination} COMPONENT ${component})
endfunction()

# The manual pages of section <section> in docs/, compressed when gzip is there.
function(terrain_install_man_pages component section)
    set(pages ${ARGN})
    list(TRANSFORM pages PREPEND ${PROJECT_SOURCE_DIR}/docs/)
    set(destination ${CMAKE_INSTALL_MANDIR}/man${section})
    if(TERRAIN_GZIP)
        terrain_install_compressed(${destination} ${component} ${pages})
    else()
        install(FILES ${pages} DESTINATION ${destination} COMPONENT ${component})
    endif()
endfunction()

terrain_install_man_pages(tools 1 taverlin.1 briskel.1 dtminfo.1)
if(TARGET gdal_VORDADTM)
    terrain_install_man_pages(gdal_driver 7 gdal_vordadtm.7)
endif()

# Each package's /usr/share/doc/<package>: the licence as a machine-readable
# copyright file, and the Debian changelog (compressed, as Debian's policy
# wants it; without gzip there is none).
function(terrain_install_package_docs component package)
    set(TERRAIN_DEB_PACKAGE ${package})
    set(changelog ${PROJECT_BINARY_DIR}/debian/${package}/changelog.Debian)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${changelog} @ONLY)
    set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${doc_dir}
            COMPONENT ${component})
    if(TERRAIN_GZIP)
        terrain_install_compressed(${doc_dir} ${component} ${changelog})
    endif()
endfunction()

terrain_install_package_docs(tools ${TERRAIN_DEB_TOOLS_PACKAGE})
get_cmake_property(TERRAIN_COMPONENTS COMPONENTS)
if(gdal_driver IN_LIST TERRAIN_COMPONENTS)
    terrain_install_package_docs(gdal_driver ${TERRAIN_DEB_GDAL_PACKAGE})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME terrain-converters)
set(CPACK_PACKAGE_VENDOR "Terrain converters")
set(CPACK_PACKAGE_CONTACT ${TERRAIN_DEB_MAINTAINER})
# One package for each component: the tools, and the GDAL plugin when it is
# built. The first line of each description is its summary.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME ${TERRAIN_DEB_TOOLS_PACKAGE})
string(JOIN "\n" CPACK_DEBIAN_TOOLS_DESCRIPTION
    "converters of USGS DEM files and Surfer grids into DTM files"
    "taverlin turns USGS ASCII DEM files into DTM files with int16 cells and"
    "writes a report of each DEM header. briskel turns Surfer 6 ASCII, Surfer 6"
    "binary and Surfer 7 grids into DTM files with float32 cells. dtminfo"
    "describes and checks DTM files and draws pictures of their terrain.")
if(gdal_driver IN_LIST TERRAIN_COMPONENTS)
    list(APPEND CPACK_COMPONENTS_ALL gdal_driver)
    set(CPACK_DEBIAN_GDAL_DRIVER_PACKAGE_NAME ${TERRAIN_DEB_GDAL_PACKAGE})
    string(JOIN "\n" CPACK_DEBIAN_GDAL_DRIVER_DESCRIPTION
        "GDAL plugin that reads and writes DTM files"
        "The VORDADTM driver lets every program built on GDAL (gdalinfo,"
        "gdal_translate, QGIS, rasterio) open DTM files as single-band rasters,"
        "north up, with their geotransform, void value and reference system, and"
        "write DTM files from any single-band north-up raster.")
    set(CPACK_DEBIAN_GDAL_DRIVER_PACKAGE_SECTION science)
endif()
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TERRAIN_DEB_RELEASE})
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
