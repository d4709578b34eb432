#include "fuzz/grid_fuzz.hpp"

#include <cstdio>
#include <string>

#include "cli/platform.hpp"
#include "dtmfile/dtm_header.hpp"
#include "fuzz/fuzz_file.hpp"
#include "grid_import/dtm_output.hpp"
#include "grid_import/grid_data.hpp"
#include "grid_import/grid_header.hpp"
#include "grid_import/grid_run_settings.hpp"

int fuzz_grid_layout(GrdKind kind, const std::uint8_t* data, std::size_t size) {
    const std::string source = fuzzing::scratch_folder().file("input.grd");
    fuzzing::write_input(source, data, size);
    // The layout is forced, so that every input exercises this layout's
    // reader; detection runs too, on the same bytes.
    (void)detect_grid_kind(source);
    platform::UniqueFile stream =
        platform::open_read_stream(source, kind == GRD_V6_ASCII ? "rt" : "rb");
    GrdInfo info;
    if (!stream || read_grid_header(kind, stream.get(), info) == 0) {
        return 0;
    }
    GrdRunSettings settings;
    settings.src_z_units = DTM_METERS; // a factor other than 1 on every node
    set_unit_factors(settings);
    DtmHeader header;
    fill_dtm_header(info, settings, header);
    GrdGrid grid;
    if (!source_holds_grid(kind, info, stream.get()) || !allocate_grid(info, grid) ||
        read_grid_data(kind, grid, stream.get()) == 0) {
        return 0;
    }
    platform::UniqueFile sink = platform::open_write_stream("/dev/null", "wb");
    if (sink && put_dtm_header(sink.get(), header) == 1) {
        write_dtm_cells(grid, info, settings.z_factor, sink.get());
    }
    return 0;
}
