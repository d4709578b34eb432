// dtminfo: describes a DTM file in words, checks it, sums up its cells and
// draws a picture of the terrain.
#include <optional>
#include <string>
#include <vector>

#include "cli/console.hpp"
#include "cli/platform.hpp"
#include "dtm_info/cell_statistics.hpp"
#include "dtm_info/dtm_description.hpp"
#include "dtm_info/info_command_line.hpp"
#include "dtm_info/png_file.hpp"
#include "dtm_info/terrain_picture.hpp"
#include "dtmfile/dtm_reader.hpp"
#include "textscan/text_format.hpp"

namespace dtminfo {
namespace {

using cli::print_info;
using dtm::DtmFileFacts;
using dtm::DtmHeader;
using dtm::DtmReadStatus;
using textscan::format_text;

constexpr double DTMINFO_VERSION = 1.0;

int fail(const std::string& message) {
    cli::print_error(message);
    return 1;
}

int run(int argc, char** argv) {
    platform::prepare_console();
    platform::clean_up_on_interruption();
    InfoSettings settings;
    if (parse_command_line(std::vector<std::string>(argv + 1, argv + argc), settings) !=
        cli::CommandLine::run) {
        print_usage();
        return 1;
    }
    print_info(format_text("\nDTM File Information Utility -- Version %.2lf\n\n", DTMINFO_VERSION));

    const std::string& path = settings.source_path;
    const platform::UniqueFile stream = platform::open_read_stream(path, "rb");
    DtmHeader header;
    DtmFileFacts facts;
    if (!stream) {
        return fail(dtm::dtm_read_message(DtmReadStatus::cannot_open, header, facts, path));
    }
    const DtmReadStatus status = dtm::read_dtm_header(stream.get(), header, facts);
    if (status == DtmReadStatus::cannot_read || status == DtmReadStatus::bad_signature ||
        status == DtmReadStatus::short_header) {
        return fail(dtm::dtm_read_message(status, header, facts, path));
    }
    const DtmConvention convention = dtm_convention(header, settings.void_value);
    print_info(describe_header(path, header, facts, convention, status));
    if (status != DtmReadStatus::ok) {
        return fail(dtm::dtm_read_message(status, header, facts, path));
    }
    if (!settings.picture_path.empty() && facts.cell_count == 0) {
        return fail(format_text("A grid without cells has no picture: %s", path.c_str()));
    }

    // One pass over the cells feeds both the sums and the picture.
    CellStatisticsBuilder statistics(convention.void_value);
    std::optional<PictureBuilder> picture;
    PictureScale scale;
    if (!settings.picture_path.empty()) {
        scale = picture_scale(header.column_count, header.row_count, settings.picture_side);
        picture.emplace(header, convention.void_value, scale,
                        spacing_in_arc_seconds(header, convention));
    }
    dtm::DtmCellReader reader(stream.get(), header);
    std::vector<double> cells(std::size_t{1} << 16);
    for (std::size_t count; (count = reader.read(cells)) > 0;) {
        const std::span<const double> block(cells.data(), count);
        statistics.add(block);
        if (picture) {
            picture->add(block);
        }
    }
    if (reader.failed()) {
        return fail(dtm::dtm_read_message(DtmReadStatus::cannot_read, header, facts, path));
    }
    print_info("\n" + describe_cells(header, convention, statistics.result()));

    if (picture) {
        if (!write_png_file(settings.picture_path, picture->render())) {
            return fail(
                format_text("Cannot write picture file: %s", settings.picture_path.c_str()));
        }
        const std::string cells_per_pixel =
            scale.cells_per_pixel > 1 ? format_text("one pixel for %d x %d cells",
                                                    scale.cells_per_pixel, scale.cells_per_pixel)
            : scale.pixels_per_cell > 1
                ? format_text("%d x %d pixels a cell", scale.pixels_per_cell, scale.pixels_per_cell)
                : std::string("one pixel a cell");
        print_info("\n" +
                   report_line("Picture:", format_text("%s, %d x %d pixels, %s, north up",
                                                       settings.picture_path.c_str(), scale.width,
                                                       scale.height, cells_per_pixel.c_str())));
    }
    return 0;
}

} // namespace
} // namespace dtminfo

int main(int argc, char** argv) {
    try {
        return dtminfo::run(argc, argv);
    } catch (const std::bad_alloc&) {
        cli::print_error("Not enough memory");
        return 1;
    }
}
