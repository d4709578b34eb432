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

// A row of the table as its fields, copied: the table's own change with
// each look-up.
struct Row {
    int usgs_code = 0;
    std::string datum;
    int epsg = 0;
};

std::optional<Row> row_of(char** fields) {
    const int usgs = CSVGetFileFieldId(table(), "USGS_CODE");
    const int datum = CSVGetFileFieldId(table(), "DATUM");
    const int epsg = CSVGetFileFieldId(table(), "EPSG_PCS_CODE");
    const int count = CSLCount(fields);
    if (usgs < 0 || datum < 0 || epsg < 0 || usgs >= count || datum >= count || epsg >= count) {
        return std::nullopt;
    }
    return Row{std::atoi(fields[usgs]), fields[datum], std::atoi(fields[epsg])};
}

std::optional<Row> row_where(const char* field, int value) {
    char** fields = CSVScanFileByName(table(), field, CPLSPrintf("%d", value), CC_Integer);
    return fields != nullptr ? row_of(fields) : std::nullopt;
}

// The zone of a row if `source` is it and its USGS code gives the row's
// EPSG code back.
std::optional<StatePlaneZone> zone_of_row(const Row& row, const OGRSpatialReference& source) {
    StatePlaneZone zone;
    zone.usgs_code = row.usgs_code;
    if (EQUAL(row.datum.c_str(), "NAD27")) {
        zone.datum = PlaneDatum::nad27;
    } else if (!EQUAL(row.datum.c_str(), "NAD83")) {
        return std::nullopt;
    }
    if (row.epsg <= 0 || state_plane_epsg(zone.usgs_code, zone.datum) != row.epsg ||
        !is_zone(source, row.epsg)) {
        return std::nullopt;
    }
    return zone;
}

} // namespace

int state_plane_epsg(int usgs_code, PlaneDatum datum) {
    if (usgs_code <= 0 || usgs_code >= NAD27_ID_OFFSET) {
        return 0;
    }
    const std::optional<Row> row =
        row_where("ID", usgs_code + (datum == PlaneDatum::nad27 ? NAD27_ID_OFFSET : 0));
    return row && row->usgs_code == usgs_code && EQUAL(row->datum.c_str(), datum_name(datum))
               ? row->epsg
               : 0;
}

std::optional<StatePlaneZone> state_plane_zone_of(const OGRSpatialReference& srs) {
    OGRSpatialReference source(srs);
    if (!source.IsProjected() || !in_metres(source)) {
        return std::nullopt;
    }
    // A zone by its own EPSG code is found at once; others (in US feet, on
    // HARN, ...) by comparing each zone.
    const char* authority = srs.GetAuthorityName(nullptr);
    const char* code = srs.GetAuthorityCode(nullptr);
    if (authority != nullptr && code != nullptr && EQUAL(authority, "EPSG")) {
        if (const std::optional<Row> row = row_where("EPSG_PCS_CODE", std::atoi(code))) {
            if (const std::optional<StatePlaneZone> zone = zone_of_row(*row, source)) {
                return zone;
            }
        }
    }
    std::vector<Row> rows;
    CSVRewind(table());
    while (char** fields = CSVGetNextLine(table())) {
        if (const std::optional<Row> row = row_of(fields)) {
            rows.push_back(*row);
        }
    }
    for (const Row& row : rows) {
        if (const std::optional<StatePlaneZone> zone = zone_of_row(row, source)) {
            return zone;
        }
    }
    return std::nullopt;
}

} // namespace vordadtm
