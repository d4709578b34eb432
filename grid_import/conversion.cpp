#include "grid_import/conversion.hpp"

#include "dtmfile/dtm_header.hpp"
#include "dtmfile_io/file_sink.hpp"
#include "grid_import/dtm_output.hpp"
#include "grid_import/grid_data.hpp"
#include "grid_import/surfer_layout.hpp"
#include "textscan/text_format.hpp"

namespace briskel {

using textscan::format_text;

namespace {

void print_grid_summary(const GrdRunSettings& settings, const GrdInfo& info,
                        cli::Reporter& console) {
    console.info(format_text("Source Surfer GRD file: %s\n", settings.source_path.c_str()));
    console.info(format_text("Destination DTM file: %s\n", settings.dest_path.c_str()));
    console.info(format_text("Model grid is %i rows and %i columns\n", info.rows, info.columns));
}

// Reads the whole grid; only then is the destination touched.
GridStatus load_grid(const GrdRunSettings& settings, const SurferLayout& layout,
                     cli::Reporter& console, dtm::DtmHeader& header, GrdGrid& grid) {
    GridSource source;
    source.split_from_bytes = settings.split_from_bytes;
    GrdInfo info;
    if (open_grid(layout, settings.source_path, source, info) != GridStatus::ok) {
        return GridStatus::cannot_read_header;
    }
    header = fill_dtm_header(info, settings);
    if (!has_disk_space(header, settings.dest_path)) {
        return GridStatus::no_disk_space;
    }
    print_grid_summary(settings, info, console);
    if (!source_holds_grid(layout, info, source)) {
        return GridStatus::cannot_read_data;
    }
    if (!allocate_grid(info, grid)) {
        return GridStatus::no_memory;
    }
    return layout.read_nodes(source, grid, NodeToCell{info.blank_value, settings.z_factor});
}

} // namespace

GridStatus convert_grid(GrdRunSettings& settings, const GridOutputs& out) {
    set_unit_factors(settings);
    const SurferLayout* layout = detect_layout(settings.source_path);
    if (layout == nullptr) {
        return GridStatus::not_surfer;
    }
    dtm::DtmHeader header;
    GrdGrid grid;
    if (const GridStatus loaded = load_grid(settings, *layout, out.console, header, grid);
        loaded != GridStatus::ok) {
        return loaded;
    }
    dtm::DtmWriter writer(header);
    switch (writer.start(out.dtm)) {
    case dtm::WriteStatus::ok:
        break;
    case dtm::WriteStatus::cannot_create:
        return GridStatus::cannot_create;
    case dtm::WriteStatus::cannot_write:
        return GridStatus::cannot_write;
    }
    if (write_dtm_cells(grid, writer) != dtm::WriteStatus::ok ||
        writer.finish() != dtm::WriteStatus::ok || !out.dtm.commit()) {
        return GridStatus::cannot_write;
    }
    out.console.info("Done!\n");
    return GridStatus::ok;
}

GridStatus convert_grid_file(GrdRunSettings& settings) {
    dtm::FileSink dtm(settings.dest_path);
    cli::ConsoleReporter console;
    return convert_grid(settings, {dtm, console});
}

} // namespace briskel
