#include "dtmfile/units.hpp"

namespace dtm {

std::int16_t dtm_unit_code(Unit unit) {
    return unit == Unit::feet ? 0 : 1;
}

std::optional<Unit> unit_from_dtm_code(int code) {
    switch (code) {
    case 0:
        return Unit::feet;
    case 1:
        return Unit::meters;
    default:
        return std::nullopt;
    }
}

std::int32_t dem_unit_code(Unit unit) {
    return unit == Unit::feet ? 1 : 2;
}

std::optional<Unit> unit_from_dem_code(int code) {
    switch (code) {
    case 1:
        return Unit::feet;
    case 2:
        return Unit::meters;
    default:
        return std::nullopt;
    }
}

double unit_factor(Unit source, Unit destination) {
    if (source == Unit::feet && destination == Unit::meters) {
        return FEET_TO_METERS;
    }
    if (source == Unit::meters && destination == Unit::feet) {
        return METERS_TO_FEET;
    }
    return 1.0;
}

const char* unit_name(Unit unit) {
    return unit == Unit::feet ? "FEET  " : "METERS";
}

} // namespace dtm
