#include "gdal_driver/spatial_reference.hpp"

#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "cpl_string.h"
#include "dtmfile/conventions.hpp"
#include "gdal_driver/state_plane.hpp"

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

constexpr double US_SURVEY_FOOT = 1200.0 / 3937.0;
constexpr double DEGREE = 0.0174532925199433;

bool near(double a, double b) {
    return std::fabs(a - b) < 1e-12;
}

// The unit of a projected reference's X and Y, if the format has it; the
// US survey foot is kept as the foot, 2 ppm off.
std::optional<dtm::Unit> unit_of(const OGRSpatialReference& srs) {
    const double metres = srs.GetLinearUnits();
    if (near(metres, 1.0)) {
        return dtm::Unit::meters;
    }
    if (near(metres, dtm::FEET_TO_METERS) || near(metres, US_SURVEY_FOOT)) {
        return dtm::Unit::feet;
    }
    return std::nullopt;
}

// The projections from 3 on, by the methods GDAL names them with.
struct ProjectionSystem {
    std::int16_t system;
    const char* name;
    std::vector<const char*> methods;
};

const std::vector<ProjectionSystem>& projection_systems() {
    static const std::vector<ProjectionSystem> systems{
        {3, "Albers Conical Equal Area", {SRS_PT_ALBERS_CONIC_EQUAL_AREA}},
        {4,
         "Lambert Conformal Conic",
         {SRS_PT_LAMBERT_CONFORMAL_CONIC_1SP, SRS_PT_LAMBERT_CONFORMAL_CONIC_2SP}},
        {5, "Mercator", {SRS_PT_MERCATOR_1SP, SRS_PT_MERCATOR_2SP}},
        {6, "Polar Stereographic", {SRS_PT_POLAR_STEREOGRAPHIC}},
        {7, "Polyconic", {SRS_PT_POLYCONIC}},
        {8, "Equidistant Conic", {SRS_PT_EQUIDISTANT_CONIC}},
        {9, "Transverse Mercator", {SRS_PT_TRANSVERSE_MERCATOR}},
        {10, "Stereographic", {SRS_PT_STEREOGRAPHIC, SRS_PT_OBLIQUE_STEREOGRAPHIC}},
        {11, "Lambert Azimuthal Equal Area", {SRS_PT_LAMBERT_AZIMUTHAL_EQUAL_AREA}},
        {12, "Azimuthal Equidistant", {SRS_PT_AZIMUTHAL_EQUIDISTANT}},
        {13, "Gnomonic", {SRS_PT_GNOMONIC}},
        {14, "Orthographic", {SRS_PT_ORTHOGRAPHIC}},
        {15, "General Vertical Near-Side Perspective", {}},
        {16, "Sinusoidal", {SRS_PT_SINUSOIDAL}},
        {17, "Equirectangular", {SRS_PT_EQUIRECTANGULAR}},
        {18, "Miller Cylindrical", {SRS_PT_MILLER_CYLINDRICAL}},
        {19, "Van der Grinten", {SRS_PT_VANDERGRINTEN}},
        {20,
         "Oblique Mercator (Hotine)",
         {SRS_PT_HOTINE_OBLIQUE_MERCATOR, SRS_PT_HOTINE_OBLIQUE_MERCATOR_AZIMUTH_CENTER,
          SRS_PT_HOTINE_OBLIQUE_MERCATOR_TWO_POINT_NATURAL_ORIGIN}},
    };
    return systems;
}

const ProjectionSystem* projection_system_of(const OGRSpatialReference& srs) {
    const char* method = srs.GetAttrValue("PROJECTION");
    for (const ProjectionSystem& system : projection_systems()) {
        for (const char* name : system.methods) {
            if (method != nullptr && EQUAL(method, name)) {
                return &system;
            }
        }
    }
    return nullptr;
}

bool is_projection_system(int system) {
    return system > SYSTEM_STATE_PLANE && system <= SYSTEM_LAST_PROJECTION;
}

PlaneDatum plane_datum(Datum datum) {
    return datum == Datum::nad27 ? PlaneDatum::nad27 : PlaneDatum::nad83;
}

bool is_state_plane_zone(int zone) {
    return state_plane_epsg(zone, PlaneDatum::nad83) != 0 ||
           state_plane_epsg(zone, PlaneDatum::nad27) != 0;
}

// What the header fields of a placement read as; arc_seconds stands for
// the header's holding them.
OGRSpatialReference reference_of(std::int16_t system, std::int16_t zone, std::int16_t xy_units,
                                 bool arc_seconds, Datum datum, std::string& problem) {
    OGRSpatialReference srs;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    bool made = false;
    switch (system) {
    case SYSTEM_NONE_OR_GEOGRAPHIC:
        return arc_seconds && srs.importFromEPSG(geographic_epsg(datum)) == OGRERR_NONE
                   ? srs
                   : OGRSpatialReference();
    case SYSTEM_UTM:
        made = make_utm(srs, datum, zone);
        break;
    case SYSTEM_STATE_PLANE: {
        const int epsg = state_plane_epsg(zone, plane_datum(datum));
        made = epsg != 0 && srs.importFromEPSG(epsg) == OGRERR_NONE;
        break;
    }
    default:
        if (!is_projection_system(system)) {
            problem = CPLSPrintf("its reference system %d is none the driver knows", system);
        }
        return OGRSpatialReference();
    }
    if (!made) {
        problem = system == SYSTEM_UTM
                      ? CPLSPrintf("there is no UTM zone %d", zone)
                      : CPLSPrintf("there is no State Plane zone %d on %s in GDAL's "
                                   "stateplane.csv",
                                   zone, datum == Datum::nad27 ? "NAD27" : "NAD83");
        return OGRSpatialReference();
    }
    // The unit is the header's whatever the zone's own (NAD27 zones are
    // defined in US survey feet).
    const bool feet = dtm::unit_from_dtm_code(xy_units) == dtm::Unit::feet;
    const double unit = feet ? dtm::FEET_TO_METERS : 1.0;
    if (!near(srs.GetLinearUnits(), unit) &&
        srs.SetLinearUnitsAndUpdateParameters(feet ? SRS_UL_FOOT : SRS_UL_METER, unit) !=
            OGRERR_NONE) {
        problem = "its linear unit cannot be set in its reference system";
        return OGRSpatialReference();
    }
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

OGRSpatialReference reference_of(const Placement& placement, Datum datum) {
    std::string problem;
    return reference_of(placement.coord_system, placement.coord_zone,
                        dtm::dtm_unit_code(placement.xy_unit), placement.arc_seconds, datum,
                        problem);
}

bool reads_back(const OGRSpatialReference& source, const OGRSpatialReference& back) {
    const char* const options[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES", nullptr};
    return source.IsEmpty() || (!back.IsEmpty() && back.IsSame(&source, options));
}

// The name of a spatial reference, with its unit where the header gave it.
std::string named(const OGRSpatialReference& srs) {
    const bool feet = srs.IsProjected() && near(srs.GetLinearUnits(), dtm::FEET_TO_METERS);
    return std::string(srs.GetName()) + (feet ? " in international feet" : "");
}

// What the header loses of `source`, and what it reads back as; empty when
// it reads back as the source.
std::string loss_warning(const OGRSpatialReference& source, const Placement& placement) {
    const OGRSpatialReference back = reference_of(placement, Datum::wgs84);
    if (reads_back(source, back)) {
        return {};
    }
    if (back.IsEmpty()) {
        const ProjectionSystem* system = nullptr;
        for (const ProjectionSystem& known : projection_systems()) {
            system = known.system == placement.coord_system ? &known : system;
        }
        return CPLSPrintf("The DTM header records reference system %d%s%s%s without the "
                          "parameters of %s, so without its .aux.xml the file reads back with no "
                          "spatial reference.",
                          placement.coord_system, system != nullptr ? " (" : "",
                          system != nullptr ? system->name : "", system != nullptr ? ")" : "",
                          source.GetName());
    }
    std::string lost;
    if (!back.IsSameGeogCS(&source)) {
        lost = "The DTM header keeps no datum";
    }
    const bool us_feet = near(source.GetLinearUnits(), US_SURVEY_FOOT);
    if (source.IsProjected() && !near(back.GetLinearUnits(), source.GetLinearUnits())) {
        lost += lost.empty() ? "The DTM header's" : ", and its";
        lost += us_feet ? " foot is the international foot (0.3048 m), 2 ppm shorter than the "
                          "US survey foot"
                        : CPLSPrintf(" unit is not the unit of %.10g m", source.GetLinearUnits());
    }
    if (lost.empty()) {
        lost = CPLSPrintf("The DTM header's reference system %d and zone %d are not %s",
                          placement.coord_system, placement.coord_zone, source.GetName());
    }
    std::string warning = lost + ", so without its .aux.xml the file reads back as " + named(back);
    for (const auto& [datum, name] : {std::pair{Datum::nad83, "NAD83"}, {Datum::nad27, "NAD27"}}) {
        const OGRSpatialReference other = reference_of(placement, datum);
        if (!back.IsSameGeogCS(&source) && !other.IsEmpty() && other.IsSameGeogCS(&source)) {
            warning += CPLSPrintf(" (as %s when opened with DATUM=%s)", named(other).c_str(), name);
            break;
        }
    }
    return warning + ".";
}

// The system and zone of a projected reference; false when the header has
// none for it.
bool place_projection(const OGRSpatialReference& srs, Placement& placement) {
    int north = 0;
    const int zone = srs.GetUTMZone(&north);
    if (zone != 0) {
        placement.coord_system = SYSTEM_UTM;
        placement.coord_zone = static_cast<std::int16_t>(north ? zone : -zone);
        return true;
    }
    if (const std::optional<StatePlaneZone> plane = state_plane_zone_of(srs)) {
        placement.coord_system = SYSTEM_STATE_PLANE;
        placement.coord_zone = static_cast<std::int16_t>(plane->usgs_code);
        return true;
    }
    if (const ProjectionSystem* system = projection_system_of(srs)) {
        placement.coord_system = system->system;
        return true;
    }
    return false;
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
    return reference_of(header.coord_system, header.coord_zone, header.xy_units,
                        dtm::holds_arc_seconds(header), datum, problem);
}

OGRSpatialReference spatial_reference_of(const dtm::DtmHeader& header, Datum datum) {
    std::string problem;
    return spatial_reference_of(header, datum, problem);
}

bool header_reads_back(const OGRSpatialReference& source, const dtm::DtmHeader& header) {
    return reads_back(source, spatial_reference_of(header, Datum::wgs84));
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
        if (!place_projection(*srs, placement) && !request.coord_system) {
            const char* method = srs->GetAttrValue("PROJECTION");
            error = CPLSPrintf("The projection %s (%s) is none of the reference systems a DTM "
                               "header names; give COORD_SYSTEM (and ZONE) to name one, or "
                               "reproject the source (gdalwarp -t_srs).",
                               srs->GetName(), method != nullptr ? method : "no method");
            return std::nullopt;
        }
    } else if (srs != nullptr && srs->IsGeographic()) {
        if (!request.system_zero_is_geographic && !request.coord_system) {
            error = "Geographic coordinates are kept only in files with integer cells; give "
                    "CELL_TYPE=INT16 or INT32, reproject the source (gdalwarp -t_srs), or give "
                    "COORD_SYSTEM.";
            return std::nullopt;
        }
        if (!near(srs->GetAngularUnits(), DEGREE) && request.system_zero_is_geographic &&
            !request.coord_system) {
            error = "The geographic coordinates are not in degrees, and the DTM file keeps "
                    "them in arc-seconds; reproject the source (gdalwarp -t_srs EPSG:4326).";
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
        if (*request.coord_system != placement.coord_system) {
            placement.coord_zone = 0;
        }
        placement.coord_system = *request.coord_system;
        placement.arc_seconds =
            placement.arc_seconds && *request.coord_system == SYSTEM_NONE_OR_GEOGRAPHIC;
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
    if (placement.coord_system == SYSTEM_STATE_PLANE &&
        !is_state_plane_zone(placement.coord_zone)) {
        error = CPLSPrintf("There is no State Plane zone %d on NAD83 or NAD27 in GDAL's "
                           "stateplane.csv; give the USGS code of a zone as ZONE (such as 403).",
                           placement.coord_zone);
        return std::nullopt;
    }
    if (srs != nullptr) {
        warning = loss_warning(*srs, placement);
    }
    return placement;
}

} // namespace vordadtm
