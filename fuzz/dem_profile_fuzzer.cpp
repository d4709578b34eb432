// A whole DEM conversion on arbitrary bytes, through taverlin's own
// conversion into memory: the Type A record, the profile reader with its
// record alignment, the extent scan in one pass or two halves, the units
// settled (half the inputs with the /V question answered), the report and,
// up to a bounded size, the reformatting pass that writes the DTM cells.
#include <cstddef>
#include <cstdint>

#include "dem_import/conversion.hpp"
#include "dem_import/run_settings.hpp"
#include "dtmfile/dtm_header.hpp"
#include "fuzz/fuzz_file.hpp"
#include "tests/support/test_files.hpp"

using namespace taverlin;

namespace {

// A tiny DEM can legitimately describe a grid of millions of void cells;
// writing those out would only measure the copying, not the readers, so
// the DTM is cut off (as by a full disk) past a million cells.
constexpr std::size_t LARGEST_DTM_BYTES = dtm::DTM_DATA_OFFSET + (std::size_t{2} << 20);

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::silence_standard_output();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DemRunSettings settings;
    settings.source_path = fuzzing::scratch_folder().file("input.dem");
    settings.dest_path = fuzzing::scratch_folder().file("input.dtm");
    settings.report_path = fuzzing::scratch_folder().file("input.HDR");
    fuzzing::write_input(settings.source_path, data, size);
    settings.suppress_progress = size % 16 < 8;
    if (size % 2 == 0) {
        settings.output_z_unit = dtm::Unit::feet; // exercise the elevation factor
    }
    // Some inputs are scanned in two halves at once, as large files are.
    settings.split_from_bytes = size % 8 < 4 ? 0 : UINT64_MAX;
    // Half the inputs answer the /V question, so that a DEM without a valid
    // elevation code has its profiles read again after the scan.
    settings.prompt_for_units = size % 4 < 2;
    testing_support::StringSink dtm(LARGEST_DTM_BYTES);
    testing_support::StringSink report;
    testing_support::MemoryReporter console("mf");
    (void)convert_dem(settings, {dtm, report, console});
    return 0;
}
