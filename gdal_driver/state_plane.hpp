// State Plane zones by the USGS codes a DTM header's coord_zone holds, and
// EPSG's reference systems for them, through GDAL's table stateplane.csv
// (its data folder, read at run time as GDAL's own SetStatePlane reads it).
#pragma once

#include <optional>

#include "ogr_spatialref.h"

namespace vordadtm {

// The datums State Plane zones are defined on; a zone's USGS code is the
// same on both.
enum class PlaneDatum { nad83, nad27 };

// The EPSG code of the zone with the USGS code on the datum; 0 where the
// table has none (as for 407 on NAD83, or 1703 that EPSG does not define).
int state_plane_epsg(int usgs_code, PlaneDatum datum);

struct StatePlaneZone {
    int usgs_code = 0;
    PlaneDatum datum = PlaneDatum::nad83;
};

// The zone whose projection `srs` is, whatever its linear unit and however
// its datum is realised (NAD83's HARN or 2011 are NAD83 zones); nullopt when
// it is none. A zone is only given when its USGS code gives it back.
std::optional<StatePlaneZone> state_plane_zone_of(const OGRSpatialReference& srs);

} // namespace vordadtm
