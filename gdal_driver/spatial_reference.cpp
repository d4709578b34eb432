#include "gdal_driver/spatial_reference.hpp"

#include <cmath>
#include <cstdlib>

#include "cpl_string.h"
#include "dtmfile/conventions.hpp"

namespace vordadtm {

namespace {

constexpr int UTM_ZONES = 60;

bool equal_ignoring_case(const std::string& a, const char* b) {
    return EQUAL(a.c_str(), b);
}

int geographic_epsg(Datum datum) {
    switch (datum) {
    case Datum::nad83:
        return 4269;
    case Datum::nad27:
        return 4267;
    case Datum::wgs84:
        break;
    }
    return 4326;
}

// The EPSG code of a UTM zone on the datum, 0 where EPSG has none.
int utm_epsg(Datum datum, int zone, bool north) {
    switch (datum) {
    case Datum::wgs84:
        return (north ? 32600 : 32700) + zone;
    case Datum::nad83:
        return north && zone <= 23 ? 26900 + zone : 0;
    case Datum::nad27:
        return north && zone <= 22 ? 26700 + zone : 0;
    }
    return 0;
}

// A UTM zone code: the zone, negative in the south.
bool is_utm_zone(int zone_code) {
    return zone_code != 0 && std::abs(zone_code) <= UTM_ZONES;
}

bool make_utm(OGRSpatialReference& srs, Datum datum, int zone_code) {
    const int zone = std::abs(zone_code);
    const bool north = zone_code > 0;
    if (!is_utm_zone(zone_code)) {
        return false;
    }
    const int epsg = utm_epsg(datum, zone, north);
    if (epsg != 0 && srs.importFromEPSG(epsg) == OGRERR_NONE) {
        return true;
    }
    srs.Clear();
    return srs.importFromEPSG(geographic_epsg(datum)) == OGRERR_NONE &&
           srs.SetUTM(zone, north) == OGRERR_NONE;
}

std::optional<std::int16_t> int16_from_text(const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < INT16_MIN || value > INT16_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

// The unit of a projected reference's X and Y, if the format has it.
std::optional<dtm::Unit> unit_of(const OGRSpatialReference& srs) {
    const double metres = srs.GetLinearUnits();
    if (std::fabs(metres - 1.0) < 1e-12) {
        return dtm::Unit::meters;
    }
    if (std::fabs(metres - dtm::FEET_TO_METERS) < 1e-12) {
        return dtm::Unit::feet;
    }
    return std::nullopt;
}

} // namespace

std::optional<Datum> datum_from_name(const std::string& name) {
    if (equal_ignoring_case(name, "WGS84")) {
        return Datum::wgs84;
    }
    if (equal_ignoring_case(name, "NAD83")) {
        return Datum::nad83;
    }
    if (equal_ignoring_case(name, "NAD27")) {
        return Datum::nad27;
    }
    return std::nullopt;
}

OGRSpatialReference spatial_reference_of(const dtm::DtmHeader& header, Datum datum,
                                         std::string& problem) {
    OGRSpatialReference srs;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const bool feet = dtm::unit_from_dtm_code(header.xy_units) == dtm::Unit::feet;
    bool made = false;
    switch (header.coord_system) {
    case SYSTEM_NONE_OR_GEOGRAPHIC:
        return dtm::holds_arc_seconds(header) &&
                       srs.importFromEPSG(geographic_epsg(datum)) == OGRERR_NONE
                   ? srs
                   : OGRSpatialReference();
    case SYSTEM_UTM:
        made = make_utm(srs, datum, header.coord_zone);
        break;
    case SYSTEM_STATE_PLANE:
        made = srs.SetStatePlane(header.coord_zone, datum != Datum::nad27) == OGRERR_NONE;
        break;
    default:
        problem =
            CPLSPrintf("its reference system %d is none the driver knows", header.coord_system);
        return OGRSpatialReference();
    }
    if (!made) {
        problem = CPLSPrintf("there is no %s zone %d",
                             header.coord_system == SYSTEM_UTM ? "UTM" : "State Plane",
                             header.coord_zone);
        return OGRSpatialReference();
    }
    if (feet &&
        srs.SetLinearUnitsAndUpdateParameters(SRS_UL_FOOT, dtm::FEET_TO_METERS) != OGRERR_NONE) {
        problem = "the foot cannot be made the linear unit of its reference system";
        return OGRSpatialReference();
    }
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

std::optional<std::int16_t> coord_system_from_text(const std::string& text) {
    if (equal_ignoring_case(text, "UTM")) {
        return SYSTEM_UTM;
    }
    if (equal_ignoring_case(text, "SP") || equal_ignoring_case(text, "STATE_PLANE")) {
        return SYSTEM_STATE_PLANE;
    }
    if (equal_ignoring_case(text, "GEOGRAPHIC") || equal_ignoring_case(text, "NONE")) {
        return SYSTEM_NONE_OR_GEOGRAPHIC;
    }
    return int16_from_text(text);
}

std::optional<std::int16_t> zone_from_text(const std::string& text) {
    return int16_from_text(text);
}

std::optional<Placement> placement_for(const PlacementRequest& request, std::string& error,
                                       std::string& warning) {
    Placement placement;
    const OGRSpatialReference* srs =
        request.srs != nullptr && !request.srs->IsEmpty() ? request.srs : nullptr;
    if (srs != nullptr && srs->IsProjected()) {
        const std::optional<dtm::Unit> unit = unit_of(*srs);
        if (!unit && !request.coord_system) {
            error = CPLSPrintf("The linear unit of the spatial reference (%.10g m) is neither the "
                               "metre nor the foot (0.3048 m); reproject the source (gdalwarp "
                               "-t_srs), or give COORD_SYSTEM.",
                               srs->GetLinearUnits());
            return std::nullopt;
        }
        // With COORD_SYSTEM given, the nearer of the two units.
        constexpr double BETWEEN_FOOT_AND_METRE = 0.552;
        placement.xy_unit = unit.value_or(
            srs->GetLinearUnits() < BETWEEN_FOOT_AND_METRE ? dtm::Unit::feet : dtm::Unit::meters);
        int north = 0;
        const int zone = srs->GetUTMZone(&north);
        if (zone != 0) {
            placement.coord_system = SYSTEM_UTM;
            placement.coord_zone = static_cast<std::int16_t>(north ? zone : -zone);
        } else if (!request.coord_system) {
            if (request.system_zero_is_geographic) {
                error = "Only UTM projections are recorded, and reference system 0 means "
                        "geographic in files with integer cells; give COORD_SYSTEM and ZONE, "
                        "or CELL_TYPE=FLOAT32.";
                return std::nullopt;
            }
            warning = "The projection is not UTM, so the DTM file records no reference system; "
                      "give COORD_SYSTEM and ZONE to record one.";
        }
    } else if (srs != nullptr && srs->IsGeographic()) {
        if (!request.system_zero_is_geographic && !request.coord_system) {
            error = "Geographic coordinates are kept only in files with integer cells; give "
                    "CELL_TYPE=INT16 or INT32, reproject the source (gdalwarp -t_srs), or give "
                    "COORD_SYSTEM.";
            return std::nullopt;
        }
        placement.arc_seconds = request.system_zero_is_geographic;
    } else if (srs != nullptr) {
        error = "The spatial reference is neither projected nor geographic; reproject the "
                "source (gdalwarp -t_srs) first.";
        return std::nullopt;
    } else if (request.system_zero_is_geographic && !request.coord_system) {
        warning = "The source has no spatial reference, and reference system 0 in a file with "
                  "integer cells is read as geographic (arc-seconds); give COORD_SYSTEM (and "
                  "ZONE) when X and Y are projected.";
    }
    if (request.coord_system) {
        placement.coord_system = *request.coord_system;
        placement.arc_seconds =
            placement.arc_seconds && *request.coord_system == SYSTEM_NONE_OR_GEOGRAPHIC;
        if (*request.coord_system != SYSTEM_UTM) {
            placement.coord_zone = 0;
        }
    }
    if (request.coord_zone) {
        placement.coord_zone = *request.coord_zone;
    }
    if (placement.coord_system == SYSTEM_UTM && !is_utm_zone(placement.coord_zone)) {
        error = CPLSPrintf("There is no UTM zone %d; give a ZONE from 1 to 60 (negative in the "
                           "south).",
                           placement.coord_zone);
        return std::nullopt;
    }
    return placement;
}

} // namespace vordadtm
