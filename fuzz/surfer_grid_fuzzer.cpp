// Surfer grids on arbitrary bytes, through every layout of the descriptor
// table in turn: the header, the size check against the file, allocation
// and the nodes; then briskel's whole conversion into memory, detection
// included.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_file.hpp"
#include "grid_import/conversion.hpp"
#include "grid_import/dtm_output.hpp"
#include "grid_import/grid_data.hpp"
#include "grid_import/grid_run_settings.hpp"
#include "grid_import/surfer_layout.hpp"
#include "tests/support/test_files.hpp"

using namespace briskel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string source = fuzzing::scratch_folder().file("input.grd");
    fuzzing::write_input(source, data, size);
    GrdRunSettings settings;
    settings.src_z_units = dtm::Unit::meters; // a factor other than 1 on every node
    set_unit_factors(settings);
    for (const SurferLayout* layout : surfer_layouts()) {
        GridSource input;
        // Half the inputs read a node text in two halves at once.
        input.split_from_bytes = size % 2 == 0 ? 0 : UINT64_MAX;
        GrdInfo info;
        if (open_grid(*layout, source, input, info) != GridStatus::ok) {
            continue;
        }
        GrdGrid grid;
        (void)(source_holds_grid(*layout, info, input) && allocate_grid(info, grid) &&
               layout->read_nodes(input, grid, NodeToCell{info.blank_value, settings.z_factor}) ==
                   GridStatus::ok);
    }
    settings.source_path = source;
    settings.dest_path = fuzzing::scratch_folder().file("input.dtm");
    settings.split_from_bytes = size % 2 == 0 ? 0 : UINT64_MAX;
    testing_support::StringSink dtm;
    testing_support::MemoryReporter console;
    (void)convert_grid(settings, {dtm, console});
    return 0;
}
