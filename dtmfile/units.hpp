// Unit codes and the feet/meters conversion factors.
#pragma once

#include <array>
#include <cstdint>

// Unit code stored in a DTM header: 0 feet, 1 meters.
enum DtmUnit : std::int16_t { DTM_FEET = 0, DTM_METERS = 1 };

// Unit code of a USGS DEM header: 1 feet, 2 meters (the DtmUnit code + 1).
enum DemUnit : std::int32_t { DEM_FEET = 1, DEM_METERS = 2 };

inline constexpr double FEET_TO_METERS = 0.3048;
// The double nearest to 3.280839895, deliberately not 1 / 0.3048.
inline constexpr double METERS_TO_FEET = 3.280839895;

// Console names indexed by DtmUnit; both six characters wide.
inline constexpr std::array<const char*, 2> DTM_UNIT_NAMES = {"FEET  ", "METERS"};

// Factor that turns a value in `source` units into `destination` units
// (both DtmUnit codes): 0.3048 feet to meters, 3.280839895 meters to feet,
// 1.0 for any other pair.
double unit_factor(int source, int destination);

// DTM_UNIT_NAMES entry of a DtmUnit code, or "?" for a code outside the table.
const char* dtm_unit_name(int code);
