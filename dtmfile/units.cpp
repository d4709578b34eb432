#include "dtmfile/units.hpp"

double unit_factor(int source, int destination) {
    if (source == DTM_FEET && destination == DTM_METERS) {
        return FEET_TO_METERS;
    }
    if (source == DTM_METERS && destination == DTM_FEET) {
        return METERS_TO_FEET;
    }
    return 1.0;
}

const char* dtm_unit_name(int code) {
    if (code < 0 || code >= static_cast<int>(DTM_UNIT_NAMES.size())) {
        return "?";
    }
    return DTM_UNIT_NAMES[static_cast<std::size_t>(code)];
}
