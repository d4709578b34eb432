// The second pass over a DEM: each profile becomes one column of DTM cells,
// with voids below and above it, converted to the DTM's elevation unit.
#pragma once

#include <cstdint>
#include <string>

#include "cli/console.hpp"
#include "dem_import/dem_extent.hpp"
#include "dem_import/dem_header.hpp"
#include "dem_import/dem_status.hpp"
#include "dem_import/profile_cells.hpp"
#include "dem_import/run_settings.hpp"
#include "dtmfile/dtm_header.hpp"
#include "dtmfile/dtm_writer.hpp"

namespace taverlin {

// The DTM header from the extent, the settled DEM header, the description
// and the /X and /Z settings, in TAVERLIN's convention; origins and spacings
// still in the DEM's units, the elevation range 0 until the pass finds it.
dtm::DtmHeader assemble_dtm_header(const DemExtent& extent, const DemHeader& dem,
                                   const std::string& description, const DemRunSettings& settings);

struct UnitFactors {
    double planimetric = 1.0;
    double elevation = 1.0;
};

// The unit of a settled DEM unit code (1 feet, 2 meters).
dtm::Unit settled_unit(std::int32_t dem_code);

// Works out this file's two factors and scales the origins and spacings.
UnitFactors apply_unit_factors(const DemHeader& dem, dtm::DtmHeader& header);

// Writes each profile as one column of cells through the writer, which
// stands at the first cell: the profiles the scan kept from `kept`, any
// further ones read on from the source where the scan left it; without
// kept cells, every profile read again from the source's first profile.
// On success sets the elevation range found (the cells of 1 and above) as
// the writer's. ok, cannot_read_source, cannot_read_profile (naming the
// profile) or cannot_write_destination. With a console, shows the pass's
// progress line on it.
DemResult reformat_profiles(DemSource& source, const DemExtent& extent, const DemHeader& dem,
                            const ProfileCells* kept, double elevation_factor,
                            cli::Reporter* console, dtm::DtmWriter& writer);

} // namespace taverlin
