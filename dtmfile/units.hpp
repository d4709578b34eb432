// Units of length and the feet/meters conversion, with the codes under
// which each file format stores a unit.
#pragma once

#include <cstdint>
#include <optional>

namespace dtm {

enum class Unit { feet, meters };

inline constexpr double FEET_TO_METERS = 0.3048;
// The double nearest to 3.280839895, deliberately not 1 / 0.3048.
inline constexpr double METERS_TO_FEET = 3.280839895;
// TAVERLIN files with reference system 0 hold X and Y in arc-seconds.
inline constexpr double ARC_SECONDS_PER_DEGREE = 3600.0;

// The unit code of a DTM header: 0 feet, 1 meters.
std::int16_t dtm_unit_code(Unit unit);
std::optional<Unit> unit_from_dtm_code(int code);

// The unit code of a USGS DEM header: 1 feet, 2 meters.
std::int32_t dem_unit_code(Unit unit);
std::optional<Unit> unit_from_dem_code(int code);

// Factor that turns a value in `source` units into `destination` units:
// 0.3048 feet to meters, 3.280839895 meters to feet, exactly 1 otherwise.
double unit_factor(Unit source, Unit destination);

// The unit's name on the console, six characters wide: "FEET  " or "METERS".
const char* unit_name(Unit unit);

} // namespace dtm
