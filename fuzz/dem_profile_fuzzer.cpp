// A whole DEM conversion on arbitrary bytes: the Type A record, the profile
// reader with its record alignment, the extent scan and, for grids of a
// bounded size, the reformatting pass that writes the DTM cells.
#include <cstddef>
#include <cstdint>

#include "dem_import/conversion.hpp"
#include "dem_import/dem_extent.hpp"
#include "dem_import/dem_status.hpp"
#include "dem_import/reformat.hpp"
#include "dem_import/run_settings.hpp"
#include "dtmfile/dtm_header.hpp"
#include "dtmfile/units.hpp"
#include "fuzz/fuzz_file.hpp"

namespace {

// A tiny DEM can legitimately describe a grid of billions of void cells;
// writing those out would only measure the disk, not the readers.
constexpr std::int64_t LARGEST_GRID_CELLS = std::int64_t{1} << 20;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::silence_standard_output();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string source = fuzzing::scratch_folder().file("input.dem");
    const std::string dest = fuzzing::scratch_folder().file("output.dtm");
    fuzzing::write_input(source, data, size);
    DemHeader dem;
    DemExtent extent;
    int failed_profile = 0;
    if (compute_dem_extent(source, true, dem, extent, failed_profile) != DEM_OK) {
        return 0;
    }
    if (static_cast<std::int64_t>(extent.column_count) * extent.row_count > LARGEST_GRID_CELLS) {
        return 0;
    }
    DemRunSettings settings;
    settings.suppress_progress = true;
    settings.output_z_unit = size % 2 == 0 ? DEM_FEET : 0; // exercise the elevation factor
    settle_source_units(settings, dem);
    DtmHeader header;
    assemble_dtm_header(extent, dem, build_dem_description(dem), settings, header);
    const UnitFactors factors = apply_unit_factors(dem, header);
    if (write_dtm_header(dest, header) != 0) {
        return 0;
    }
    if (reformat_profiles(source, dest, extent, dem, factors.elevation, true, header,
                          failed_profile) == DEM_OK) {
        rewrite_dtm_header(dest, header);
    }
    return 0;
}
