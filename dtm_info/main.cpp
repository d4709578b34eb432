// dtminfo: describes a DTM file in words or as JSON, checks it, sums up its
// cells and draws a picture of the terrain.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/console.hpp"
#include "dtm_info/cell_statistics.hpp"
#include "dtm_info/dtm_description.hpp"
#include "dtm_info/info_command_line.hpp"
#include "dtm_info/json_description.hpp"
#include "dtm_info/png_file.hpp"
#include "dtm_info/progress_bar.hpp"
#include "dtm_info/terrain_picture.hpp"
#include "dtmfile/dtm_reader.hpp"
#include "dtmfile_io/dtm_file_reader.hpp"
#include "platform/platform.hpp"
#include "textscan/text_format.hpp"

namespace dtminfo {
namespace {

using dtm::DtmReadStatus;
using textscan::format_text;

constexpr double DTMINFO_VERSION = 1.0;

// One run: the text is printed as the facts come in, unless /J asks for
// them all at the end in one JSON object.
class InfoRun {
  public:
    explicit InfoRun(const InfoSettings& settings)
        : settings_(settings), progress_(terminal_progress_bar(!cli::quiet_mode)) {
        run_.path = settings.source_path;
    }

    // The exit status; the JSON object is written on the way out.
    int run() {
        const int status = describe();
        progress_.clear();
        if (settings_.json) {
            const std::string object = json_description(run_);
            std::fwrite(object.data(), 1, object.size(), stdout);
            platform::flush_console();
        }
        return status;
    }

  private:
    int describe();

    void print(const std::string& text) {
        if (!settings_.json) {
            progress_.clear();
            cli::print_info(text);
        }
    }

    int fail(const std::string& message) {
        progress_.clear();
        run_.error = message;
        cli::print_error(message);
        return 1;
    }

    ProgressReport progress(const char* task) {
        return [this, task](std::uint64_t done, std::uint64_t total) {
            progress_.update(task, done, total);
        };
    }

    const InfoSettings& settings_;
    ProgressBar progress_;
    RunDescription run_;
};

int InfoRun::describe() {
    print(format_text("\nDTM File Information Utility -- Version %.2lf\n\n", DTMINFO_VERSION));

    const std::string& path = settings_.source_path;
    const platform::UniqueFile stream = platform::open_read_stream(path, "rb");
    dtm::DtmHeader& header = run_.header;
    dtm::DtmFileFacts& facts = run_.facts;
    if (!stream) {
        return fail(dtm::dtm_read_message(DtmReadStatus::cannot_open, header, facts, path));
    }
    const DtmReadStatus status = dtm::read_dtm_header(stream.get(), header, facts);
    if (status == DtmReadStatus::cannot_read || status == DtmReadStatus::bad_signature ||
        status == DtmReadStatus::short_header) {
        return fail(dtm::dtm_read_message(status, header, facts, path));
    }
    run_.status = status;
    run_.convention = dtm_convention(header, settings_.void_value);
    run_.header_read = true;
    const DtmConvention& convention = run_.convention;
    print(describe_header(path, header, facts, convention, status, settings_.degrees));
    if (status != DtmReadStatus::ok) {
        return fail(dtm::dtm_read_message(status, header, facts, path));
    }
    if (!settings_.picture_path.empty() && facts.cell_count == 0) {
        return fail(format_text("A grid without cells has no picture: %s", path.c_str()));
    }

    // One pass over the cells feeds both the sums and the picture.
    CellStatisticsBuilder statistics(convention.void_value);
    std::optional<PictureBuilder> picture;
    PictureFacts picture_facts{settings_.picture_path, {}, PlanimetricUnits::header};
    if (!settings_.picture_path.empty()) {
        picture_facts.scale =
            picture_scale(header.column_count, header.row_count, settings_.picture_side);
        picture_facts.units = planimetric_units(header, settings_.degrees);
        picture.emplace(header, convention.void_value, picture_facts.scale, picture_facts.units);
    }
    dtm::DtmCellReader reader(stream.get(), header);
    std::vector<double> cells(std::size_t{1} << 16);
    std::uint64_t cells_read = 0;
    for (std::size_t count; (count = reader.read(cells)) > 0;) {
        const std::span<const double> block(cells.data(), count);
        statistics.add(block);
        if (picture) {
            picture->add(block);
        }
        cells_read += count;
        progress_.update("Reading cells", cells_read, facts.cell_count);
    }
    if (reader.failed()) {
        return fail(dtm::dtm_read_message(DtmReadStatus::cannot_read, header, facts, path));
    }
    run_.statistics = statistics.result();
    print("\n" + describe_cells(header, convention, *run_.statistics));

    if (picture) {
        const Picture drawn = picture->render(progress("Shading picture"));
        if (!write_png_file(settings_.picture_path, drawn, progress("Writing picture"))) {
            return fail(
                format_text("Cannot write picture file: %s", settings_.picture_path.c_str()));
        }
        run_.picture = picture_facts;
        print("\n" + describe_picture(picture_facts));
    }
    return 0;
}

} // namespace
} // namespace dtminfo

int main(int argc, char** argv) {
    try {
        platform::prepare_console();
        platform::clean_up_on_interruption();
        dtminfo::InfoSettings settings;
        switch (dtminfo::parse_command_line(platform::program_arguments(argc, argv), settings)) {
        case cli::CommandLine::run:
            break;
        case cli::CommandLine::show_usage:
            dtminfo::print_usage();
            return 1;
        case cli::CommandLine::show_help:
            dtminfo::print_usage();
            return 0;
        case cli::CommandLine::show_version:
            std::fputs("dtminfo " TERRAIN_PACKAGE_VERSION "\n", stdout);
            platform::flush_console();
            return 0;
        }
        return dtminfo::InfoRun(settings).run();
    } catch (const std::bad_alloc&) {
        cli::print_error("Not enough memory");
        return 1;
    }
}
