#include "gdal_driver/state_plane.hpp"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "cpl_csv.h"
#include "cpl_error.h"
#include "cpl_string.h"

namespace vordadtm {

namespace {

// The table's ID of a zone is its USGS code, plus this on NAD27.
constexpr int NAD27_ID_OFFSET = 10000;

const char* table() {
    return CSVFilename("stateplane.csv");
}

const char* datum_name(PlaneDatum datum) {
    return datum == PlaneDatum::nad27 ? "NAD27" : "NAD83";
}

// Projections of the zones; no other projection is looked for in the table.
bool may_be_a_zone(const OGRSpatialReference& srs) {
    const char* method = srs.GetAttrValue("PROJECTION");
    if (method == nullptr) {
        return false;
    }
    for (const char* zone_method :
         {SRS_PT_TRANSVERSE_MERCATOR, SRS_PT_LAMBERT_CONFORMAL_CONIC_1SP,
          SRS_PT_LAMBERT_CONFORMAL_CONIC_2SP, SRS_PT_HOTINE_OBLIQUE_MERCATOR,
          SRS_PT_HOTINE_OBLIQUE_MERCATOR_AZIMUTH_CENTER}) {
        if (EQUAL(method, zone_method)) {
            return true;
        }
    }
    return false;
}

bool in_metres(OGRSpatialReference& srs) {
    return srs.GetLinearUnits() == 1.0 ||
           srs.SetLinearUnitsAndUpdateParameters(SRS_UL_METER, 1.0) == OGRERR_NONE;
}

bool same_ellipsoid(const OGRSpatialReference& a, const OGRSpatialReference& b) {
    return std::fabs(a.GetSemiMajor() - b.GetSemiMajor()) < 1e-3 &&
           std::fabs(a.GetInvFlattening() - b.GetInvFlattening()) < 1e-9;
}

// True when `source`, in metres, is the zone EPSG defines as `epsg`: the
// same projection on the same ellipsoid, whatever the datum's realisation.
bool is_zone(const OGRSpatialReference& source, int epsg) {
    OGRSpatialReference zone;
    {
        // A code of the table that PROJ's database lacks is no zone.
        CPLErrorStateBackuper state;
        CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
        if (zone.importFromEPSG(epsg) != OGRERR_NONE) {
            return false;
        }
    }
    if (!same_ellipsoid(source, zone) || !in_metres(zone)) {
        return false;
    }
    OGRSpatialReference on_its_datum(source);
    const char* const options[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES", nullptr};
    return on_its_datum.CopyGeogCSFrom(&zone) == OGRERR_NONE && on_its_datum.IsSame(&zone, options);
}

// The zone of a row of the table if `source` is it and its USGS code gives
// the row's EPSG code back.
std::optional<StatePlaneZone> zone_of_row(char** row, const OGRSpatialReference& source) {
    const int usgs = CSVGetFileFieldId(table(), "USGS_CODE");
    const int datum = CSVGetFileFieldId(table(), "DATUM");
    const int epsg = CSVGetFileFieldId(table(), "EPSG_PCS_CODE");
    const int fields = CSLCount(row);
    if (usgs < 0 || datum < 0 || epsg < 0 || usgs >= fields || datum >= fields || epsg >= fields) {
        return std::nullopt;
    }
    StatePlaneZone zone;
    zone.usgs_code = std::atoi(row[usgs]);
    if (EQUAL(row[datum], "NAD27")) {
        zone.datum = PlaneDatum::nad27;
    } else if (!EQUAL(row[datum], "NAD83")) {
        return std::nullopt;
    }
    const int code = std::atoi(row[epsg]);
    if (code <= 0 || state_plane_epsg(zone.usgs_code, zone.datum) != code ||
        !is_zone(source, code)) {
        return std::nullopt;
    }
    return zone;
}

} // namespace

int state_plane_epsg(int usgs_code, PlaneDatum datum) {
    if (usgs_code <= 0 || usgs_code >= NAD27_ID_OFFSET) {
        return 0;
    }
    const int id = usgs_code + (datum == PlaneDatum::nad27 ? NAD27_ID_OFFSET : 0);
    const char* row_datum = CSVGetField(table(), "ID", CPLSPrintf("%d", id), CC_Integer, "DATUM");
    const char* row_usgs =
        CSVGetField(table(), "ID", CPLSPrintf("%d", id), CC_Integer, "USGS_CODE");
    if (!EQUAL(row_datum, datum_name(datum)) || std::atoi(row_usgs) != usgs_code) {
        return 0;
    }
    return std::atoi(CSVGetField(table(), "ID", CPLSPrintf("%d", id), CC_Integer, "EPSG_PCS_CODE"));
}

std::optional<StatePlaneZone> state_plane_zone_of(const OGRSpatialReference& srs) {
    OGRSpatialReference source(srs);
    if (!source.IsProjected() || !may_be_a_zone(source) || !in_metres(source)) {
        return std::nullopt;
    }
    // A zone by its own EPSG code is found at once; others (in US feet, on
    // HARN, ...) by comparing each zone.
    const char* authority = srs.GetAuthorityName(nullptr);
    const char* code = srs.GetAuthorityCode(nullptr);
    if (authority != nullptr && code != nullptr && EQUAL(authority, "EPSG")) {
        if (char** row = CSVScanFileByName(table(), "EPSG_PCS_CODE", code, CC_Integer)) {
            if (const std::optional<StatePlaneZone> zone = zone_of_row(row, source)) {
                return zone;
            }
        }
    }
    // The rows are copied first, as each look-up moves the table's cursor.
    std::vector<CPLStringList> rows;
    CSVRewind(table());
    while (char** row = CSVGetNextLine(table())) {
        rows.emplace_back(CSLDuplicate(row), TRUE);
    }
    for (CPLStringList& row : rows) {
        if (const std::optional<StatePlaneZone> zone = zone_of_row(row.List(), source)) {
            return zone;
        }
    }
    return std::nullopt;
}

} // namespace vordadtm
