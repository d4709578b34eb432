// DTM files on arbitrary bytes: the header checks, the cell reader, dtminfo's
// description (text and JSON), statistics and picture, and the PNG writer.
#include <optional>
#include <string>
#include <vector>

#include "dtm_info/cell_statistics.hpp"
#include "dtm_info/dtm_description.hpp"
#include "dtm_info/json_description.hpp"
#include "dtm_info/png_file.hpp"
#include "dtm_info/terrain_picture.hpp"
#include "dtmfile/dtm_reader.hpp"
#include "fuzz/fuzz_file.hpp"

using namespace dtm;
using namespace dtminfo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzzing::scratch_folder().file("input.dtm");
    fuzzing::write_input(path, data, size);
    platform::UniqueFile stream = platform::open_read_stream(path, "rb");
    if (!stream) {
        return 0;
    }
    DtmHeader header;
    DtmFileFacts facts;
    const DtmReadStatus status = read_dtm_header(stream.get(), header, facts);
    (void)dtm_read_message(status, header, facts, path);
    if (status == DtmReadStatus::cannot_read || status == DtmReadStatus::bad_signature ||
        status == DtmReadStatus::short_header) {
        return 0;
    }
    // The void value comes from the version, or from the last byte as /V
    // would give it.
    const std::optional<double> void_option =
        size % 2 == 0 ? std::nullopt
                      : std::optional<double>(static_cast<std::int8_t>(data[size - 1]));
    const DtmConvention convention = dtm_convention(header, void_option);
    (void)describe_header(path, header, facts, convention, status);
    if (status != DtmReadStatus::ok) {
        return 0;
    }
    CellStatisticsBuilder statistics(convention.void_value);
    // Pictures of at most 64 pixels a side keep the runs short.
    const PictureScale scale = picture_scale(header.column_count, header.row_count, 64);
    PictureBuilder picture(header, convention.void_value, scale,
                           header.coord_system == 0 ? PlanimetricUnits::arc_seconds
                                                    : PlanimetricUnits::header);
    DtmCellReader reader(stream.get(), header);
    std::vector<double> cells(100);
    for (std::size_t count; (count = reader.read(cells)) > 0;) {
        const std::span<const double> block(cells.data(), count);
        statistics.add(block);
        picture.add(block);
    }
    (void)describe_cells(header, convention, statistics.result());
    // Any header bytes and numbers make an object (names that are not UTF-8
    // included).
    RunDescription run{path, true, header, facts, status, convention, statistics.result(), {}, {}};
    (void)json_description(run);
    if (facts.cell_count > 0) {
        (void)write_png_file(fuzzing::scratch_folder().file("picture.png"), picture.render());
    }
    return 0;
}
