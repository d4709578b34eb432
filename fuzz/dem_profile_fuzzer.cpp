// A whole DEM conversion on arbitrary bytes: the Type A record, the profile
// reader with its record alignment, the extent scan and, for grids of a
// bounded size, the reformatting pass that writes the DTM cells.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "dem_import/conversion.hpp"
#include "dem_import/dem_extent.hpp"
#include "dem_import/reformat.hpp"
#include "dem_import/run_settings.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "fuzz/fuzz_file.hpp"
#include "tests/support/test_files.hpp"

using namespace taverlin;

namespace {

// A tiny DEM can legitimately describe a grid of millions of void cells;
// writing those out would only measure the copying, not the readers.
constexpr std::int64_t LARGEST_GRID_CELLS = std::int64_t{1} << 20;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::silence_standard_output();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzzing::scratch_folder().file("input.dem");
    fuzzing::write_input(path, data, size);
    DemRunSettings settings;
    settings.suppress_progress = true;
    if (size % 2 == 0) {
        settings.output_z_unit = dtm::Unit::feet; // exercise the elevation factor
    }
    DemSource source;
    DemHeader dem;
    if (!open_dem(path, source, dem).ok()) {
        return 0;
    }
    // Some inputs are scanned in two halves at once, as large files are.
    source.split_from_bytes = size % 8 < 4 ? 0 : UINT64_MAX;
    // Half the inputs keep the cells as the scan reads them, half read the
    // profiles again as a run with the /V question does.
    std::optional<ProfileCells> kept;
    const auto factor = elevation_factor_before_settling(settings, dem);
    if (factor && size % 4 < 2) {
        kept.emplace(static_cast<double>(dem.z_resolution), *factor);
    }
    DemLimits limits;
    DemExtent extent;
    if (!scan_profiles(source, dem, true, limits, kept ? &*kept : nullptr).ok() ||
        !grid_extent(dem, limits, source.size, extent).ok() ||
        static_cast<std::int64_t>(extent.column_count) * extent.row_count > LARGEST_GRID_CELLS) {
        return 0;
    }
    settle_source_units(settings, dem);
    dtm::DtmHeader header = assemble_dtm_header(extent, dem, build_dem_description(dem), settings);
    const UnitFactors factors = apply_unit_factors(dem, header);
    dtm::DtmWriter writer(header);
    testing_support::StringSink sink;
    if (writer.start(sink) == dtm::WriteStatus::ok &&
        reformat_profiles(source, extent, dem, kept ? &*kept : nullptr, factors.elevation, true,
                          writer)
            .ok()) {
        (void)writer.finish();
    }
    return 0;
}
