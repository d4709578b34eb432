// briskel: converts Surfer grids (Surfer 6 ASCII and binary, Surfer 7
// binary) into DTM files with float32 cells.
#include <new>
#include <string>
#include <vector>

#include "cli/console.hpp"
#include "cli/platform.hpp"
#include "dtmfile/dtm_header.hpp"
#include "grid_import/dtm_output.hpp"
#include "grid_import/grid_command_line.hpp"
#include "grid_import/grid_data.hpp"
#include "grid_import/grid_detect.hpp"
#include "grid_import/grid_header.hpp"
#include "grid_import/grid_run_settings.hpp"

namespace {

constexpr double BRISKEL_VERSION = 1.0;

void print_grid_summary(const GrdRunSettings& settings, const GrdInfo& info) {
    print_info(format_text("Source Surfer GRD file: %s\n", settings.source_path.c_str()));
    print_info(format_text("Destination DTM file: %s\n", settings.dest_path.c_str()));
    print_info(format_text("Model grid is %i rows and %i columns\n", info.rows, info.columns));
}

int fail(const char* message) {
    print_error(message);
    return 1;
}

// Creates the destination and writes header and cells; on any failure the
// partial file is removed.
bool write_destination(const GrdRunSettings& settings, const DtmHeader& header, const GrdGrid& grid,
                       const GrdInfo& info, bool& created) {
    platform::OutputGuard output;
    platform::UniqueFile dest = platform::create_output_stream(settings.dest_path);
    created = static_cast<bool>(dest);
    if (!dest) {
        return false;
    }
    const bool written = put_dtm_header(dest.get(), header) == 1 &&
                         write_dtm_cells(grid, info, settings.z_factor, dest.get());
    if (!platform::close_file(dest) || !written) {
        return false;
    }
    output.commit();
    return true;
}

int run(int argc, char** argv) {
    GrdRunSettings settings;
    platform::prepare_console();
    platform::clean_up_on_interruption();
    if (parse_command_line(std::vector<std::string>(argv + 1, argv + argc), settings) != 0) {
        print_usage();
        return 1;
    }
    print_info(format_text("\nSurfer GRD Import Utility -- Version %.2lf\n\n", BRISKEL_VERSION));
    set_unit_factors(settings);

    const GrdKind kind = detect_grid_kind(settings.source_path);
    if (kind == GRD_NOT_SURFER) {
        print_error("Source file does not appear to be a SURFER model");
        return fail("BRISKEL recognizes SURFER V6 ASCII and binary and V7 binary formats");
    }
    platform::UniqueFile source =
        platform::open_read_stream(settings.source_path, kind == GRD_V6_ASCII ? "rt" : "rb");
    GrdInfo info;
    if (!source || read_grid_header(kind, source.get(), info) == 0) {
        return fail("Could not read source grid information");
    }
    DtmHeader header;
    fill_dtm_header(info, settings, header);
    if (check_disk_space(header, settings.dest_path) == 0) {
        return fail("Not enough disk space for destination file");
    }
    print_grid_summary(settings, info);

    GrdGrid grid;
    if (!source_holds_grid(kind, info, source.get())) {
        return fail("Could not read source grid data");
    }
    if (!allocate_grid(info, grid)) {
        return fail("Could not allocate memory for source grid data");
    }
    if (read_grid_data(kind, grid, source.get()) == 0) {
        return fail("Could not read source grid data");
    }
    source.reset();

    bool created = false;
    if (!write_destination(settings, header, grid, info, created)) {
        if (!created) {
            return fail("Could not create destination dtm file");
        }
        print_error(
            format_text("Could not write destination dtm file: %s", settings.dest_path.c_str()));
        return 1;
    }
    free_grid(grid);
    print_info("Done!\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        print_error("Could not allocate memory for source grid data");
        return 1;
    }
}
