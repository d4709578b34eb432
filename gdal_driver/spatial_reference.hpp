// The reference system of a DTM file and GDAL's spatial references: what a
// file's coord_system, coord_zone and xy_units mean when it is read, and
// which of them a raster's spatial reference gives when one is written.
// coord_system numbers the ground reference systems of USGS DEMs: 0
// geographic, 1 UTM, 2 State Plane, then projections whose parameters the
// header does not keep (3 Albers Conical Equal Area to 20 Hotine Oblique
// Mercator).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "dtmfile/dtm_header.hpp"
#include "dtmfile/units.hpp"
#include "ogr_spatialref.h"

namespace vordadtm {

// Reference systems of the coord_system field.
inline constexpr std::int16_t SYSTEM_NONE_OR_GEOGRAPHIC = 0;
inline constexpr std::int16_t SYSTEM_UTM = 1;
inline constexpr std::int16_t SYSTEM_STATE_PLANE = 2;
inline constexpr std::int16_t SYSTEM_LAST_PROJECTION = 20;

// The file does not name its datum; the reader is told it (open option DATUM).
enum class Datum { wgs84, nad83, nad27 };
std::optional<Datum> datum_from_name(const std::string& name);

// The spatial reference the header gives: UTM, State Plane (on NAD27 when
// that is the datum, NAD83 otherwise), geographic, its X and Y in
// international feet when xy_units is 0 and in metres otherwise; empty when
// it gives none (as for the projections from 3 on). `problem` tells why a
// system the header names could not be made (a zone that does not exist,
// an unknown system), as a clause.
OGRSpatialReference spatial_reference_of(const dtm::DtmHeader& header, Datum datum,
                                         std::string& problem);
OGRSpatialReference spatial_reference_of(const dtm::DtmHeader& header, Datum datum);

// True when the header alone, read without options, gives `source` back;
// where it does not, the file needs the source's spatial reference beside
// it (its .aux.xml). A source without one needs nothing.
bool header_reads_back(const OGRSpatialReference& source, const dtm::DtmHeader& header);

// A coord_system value by name (UTM, SP or STATE_PLANE, GEOGRAPHIC or NONE)
// or number.
std::optional<std::int16_t> coord_system_from_text(const std::string& text);

// A coord_zone value: a whole number that fits the field.
std::optional<std::int16_t> zone_from_text(const std::string& text);

// The zones there are, for a message that asks for one.
inline constexpr char ZONES_THAT_EXIST[] =
    "UTM zones are 1 to 60 (negative in the south), State Plane zones their codes (such as 3601)";

// What a writer stores for a raster's coordinates.
struct Placement {
    std::int16_t coord_system = SYSTEM_NONE_OR_GEOGRAPHIC;
    std::int16_t coord_zone = 0;
    dtm::Unit xy_unit = dtm::Unit::meters;
    bool arc_seconds = false; // X and Y stored in arc-seconds, from degrees
};

struct PlacementRequest {
    const OGRSpatialReference* srs = nullptr; // the raster's, may be null
    std::optional<std::int16_t> coord_system; // COORD_SYSTEM
    std::optional<std::int16_t> coord_zone;   // ZONE
    bool system_zero_is_geographic = false;   // of the convention written
};

// The placement for the request, or nullopt with `error` set. `warning` is
// set when the header alone will not read back as the spatial reference
// (see header_reads_back), saying what is lost and what is read instead;
// or when there is no spatial reference and X and Y will read as degrees.
std::optional<Placement> placement_for(const PlacementRequest& request, std::string& error,
                                       std::string& warning);

} // namespace vordadtm
