// The second pass over a DEM: each profile becomes one column of DTM cells,
// with voids below and above it, converted to the DTM's elevation unit.
#pragma once

#include <cstdint>
#include <string>

#include "dem_import/dem_extent.hpp"
#include "dem_import/dem_header.hpp"
#include "dem_import/run_settings.hpp"
#include "dtmfile/dtm_header.hpp"

// Fills every field of the DTM header from the extent, the settled DEM
// header, the description and the /X and /Z settings. Always 0.
int assemble_dtm_header(const DemExtent& extent, const DemHeader& dem,
                        const std::string& description, const DemRunSettings& settings,
                        DtmHeader& header);

struct UnitFactors {
    double planimetric = 1.0;
    double elevation = 1.0;
};

// Works out this file's two factors and scales the origins and spacings.
UnitFactors apply_unit_factors(const DemHeader& dem, DtmHeader& header);

// The value an elevation takes in a cell of the given type, as a float64:
// x truncated to a 32-bit integer (wrapped to 16 bits for int16), rounded
// to float32, or x itself. A value beyond the 32-bit range, or not a
// number, truncates to the integer indefinite value -2147483648 as the x86
// conversion does.
double dtm_cell_value(int data_type, double x);

// Writes the cells of all columns into the existing destination file from
// byte 200 and, on success, stores the elevation range found in the header.
// DEM_OK, DEM_CANNOT_OPEN_SOURCE, DEM_CANNOT_READ_SOURCE (failed_profile
// names the profile, 0 when the first profile could not be reached),
// DEM_CANNOT_OPEN_DESTINATION or DEM_CANNOT_WRITE_DESTINATION.
int reformat_profiles(const std::string& source_path, const std::string& dest_path,
                      const DemExtent& extent, const DemHeader& dem, double elevation_factor,
                      bool suppress_progress, DtmHeader& header, int& failed_profile);
