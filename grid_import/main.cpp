// briskel: converts Surfer grids (Surfer 6 ASCII and binary, Surfer 7
// binary) into DTM files with float32 cells.
#include <new>
#include <string>
#include <vector>

#include "cli/console.hpp"
#include "cli/platform.hpp"
#include "dtmfile/dtm_header.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "grid_import/dtm_output.hpp"
#include "grid_import/grid_command_line.hpp"
#include "grid_import/grid_data.hpp"
#include "grid_import/grid_run_settings.hpp"
#include "grid_import/grid_status.hpp"
#include "grid_import/surfer_layout.hpp"
#include "textscan/text_format.hpp"

namespace briskel {
namespace {

using cli::print_info;
using textscan::format_text;

constexpr double BRISKEL_VERSION = 1.0;

void print_grid_summary(const GrdRunSettings& settings, const GrdInfo& info) {
    print_info(format_text("Source Surfer GRD file: %s\n", settings.source_path.c_str()));
    print_info(format_text("Destination DTM file: %s\n", settings.dest_path.c_str()));
    print_info(format_text("Model grid is %i rows and %i columns\n", info.rows, info.columns));
}

// Reads the whole grid; only then is the destination touched.
GridStatus load_grid(const GrdRunSettings& settings, const SurferLayout& layout,
                     dtm::DtmHeader& header, GrdInfo& info, GrdGrid& grid) {
    GridSource source;
    if (open_grid(layout, settings.source_path, source, info) != GridStatus::ok) {
        return GridStatus::cannot_read_header;
    }
    header = fill_dtm_header(info, settings);
    if (!has_disk_space(header, settings.dest_path)) {
        return GridStatus::no_disk_space;
    }
    print_grid_summary(settings, info);
    if (!source_holds_grid(layout, info, source)) {
        return GridStatus::cannot_read_data;
    }
    if (!allocate_grid(info, grid)) {
        return GridStatus::no_memory;
    }
    return layout.read_nodes(source, grid, NodeToCell{info.blank_value, settings.z_factor});
}

// Writes the DTM file in one go; a file not written completely is removed.
GridStatus write_destination(const GrdRunSettings& settings, const dtm::DtmHeader& header,
                             const GrdGrid& grid) {
    dtm::DtmFileWriter writer(header);
    switch (writer.create(settings.dest_path)) {
    case dtm::WriteStatus::ok:
        break;
    case dtm::WriteStatus::cannot_create:
        return GridStatus::cannot_create;
    case dtm::WriteStatus::cannot_write:
        return GridStatus::cannot_write;
    }
    if (write_dtm_cells(grid, writer) != dtm::WriteStatus::ok ||
        writer.commit() != dtm::WriteStatus::ok) {
        return GridStatus::cannot_write;
    }
    return GridStatus::ok;
}

GridStatus convert(GrdRunSettings& settings) {
    set_unit_factors(settings);
    const SurferLayout* layout = detect_layout(settings.source_path);
    if (layout == nullptr) {
        return GridStatus::not_surfer;
    }
    dtm::DtmHeader header;
    GrdInfo info;
    GrdGrid grid;
    if (const GridStatus loaded = load_grid(settings, *layout, header, info, grid);
        loaded != GridStatus::ok) {
        return loaded;
    }
    return write_destination(settings, header, grid);
}

int run(int argc, char** argv) {
    GrdRunSettings settings;
    platform::prepare_console();
    platform::clean_up_on_interruption();
    if (parse_command_line(std::vector<std::string>(argv + 1, argv + argc), settings) !=
        cli::CommandLine::run) {
        print_usage();
        return 1;
    }
    print_info(format_text("\nSurfer GRD Import Utility -- Version %.2lf\n\n", BRISKEL_VERSION));
    const GridStatus status = convert(settings);
    if (status != GridStatus::ok) {
        cli::print_error(grid_message(status, settings.dest_path));
        if (status == GridStatus::not_surfer) {
            cli::print_error("BRISKEL recognizes SURFER V6 ASCII and binary and V7 binary formats");
        }
        return 1;
    }
    print_info("Done!\n");
    return 0;
}

} // namespace
} // namespace briskel

int main(int argc, char** argv) {
    try {
        return briskel::run(argc, argv);
    } catch (const std::bad_alloc&) {
        cli::print_error(briskel::grid_message(briskel::GridStatus::no_memory, {}));
        return 1;
    }
}
