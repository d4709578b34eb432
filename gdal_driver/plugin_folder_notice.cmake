# Run at the end of the plugin's installation: when the plugin went anywhere
# but the folder in which GDAL looks for plugins, one line says so and gives
# the GDAL_DRIVER_PATH that has GDAL load it. DESTDIR stages a package for
# the prefix it names, so the folder is taken without it; otherwise both
# folders are compared with their links resolved (/lib and /usr/lib are one
# folder on Debian).
#
# TERRAIN_GDAL_PLUGIN_DIR: the plugin's folder, relative to the prefix or
# absolute; TERRAIN_GDAL_SEARCHED_PLUGIN_DIR: GDAL's folder.
cmake_policy(VERSION 3.20)
set(installed "${TERRAIN_GDAL_PLUGIN_DIR}")
cmake_path(ABSOLUTE_PATH installed BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE)
string(REGEX REPLACE "(.)/$" "\\1" installed "${installed}") # a trailing slash
set(searched "${TERRAIN_GDAL_SEARCHED_PLUGIN_DIR}")
if("$ENV{DESTDIR}" STREQUAL "")
    file(REAL_PATH "${installed}" installed)
    if(EXISTS "${searched}")
        file(REAL_PATH "${searched}" searched)
    endif()
endif()
if(NOT installed STREQUAL searched)
    message(STATUS "GDAL looks for plugins in ${searched}, not where VORDADTM is installed: "
                   "run GDAL with GDAL_DRIVER_PATH=${installed}")
endif()
