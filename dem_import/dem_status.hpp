// Status codes of the DEM passes (0 is success).
#pragma once

inline constexpr int DEM_OK = 0;
inline constexpr int DEM_CANNOT_OPEN_SOURCE = -2;
inline constexpr int DEM_CANNOT_READ_SOURCE = -3;
inline constexpr int DEM_CANNOT_READ_PROFILES = -4;
inline constexpr int DEM_CANNOT_OPEN_DESTINATION = -5;
inline constexpr int DEM_CANNOT_WRITE_DESTINATION = -6;
inline constexpr int DEM_BAD_RESOLUTION = -7;
inline constexpr int DEM_EXTENT_OUT_OF_RANGE = -8;
