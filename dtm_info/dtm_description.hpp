// The words dtminfo prints about a DTM file: its header field by field, the
// file's consistency and the sums over its cells. The facts behind the
// checks are worked out here once, for these words and for the JSON object
// (json_description) alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "dtm_info/cell_statistics.hpp"
#include "dtm_info/terrain_picture.hpp"
#include "dtmfile/conventions.hpp"
#include "dtmfile/dtm_reader.hpp"

namespace dtminfo {

// Which writer's conventions a file follows, told by its version, and the
// void value: the writer's, or /V's in its place.
struct DtmConvention {
    const dtm::WriterConvention* writer = nullptr; // none for another version
    std::optional<double> void_value;
    bool void_from_option = false;

    bool written_by(dtm::Writer w) const { return writer != nullptr && writer->writer == w; }
};

// The convention of the header, with /V's value in place of the tool's.
DtmConvention dtm_convention(const dtm::DtmHeader& header, std::optional<double> void_option);

// True for a BRISKEL file whose grid lies within -180 to 180 in X and -90
// to 90 in Y with both spacings under 1: X and Y look like longitude and
// latitude, which /G shades as such.
bool looks_like_degrees(const dtm::DtmHeader& header, const DtmConvention& convention);

// What the picture's shading takes X and Y for: arc-seconds by the file's
// convention, else degrees when /G says so, else the header's unit.
PlanimetricUnits planimetric_units(const dtm::DtmHeader& header, bool degrees_option);

// The shortest decimal text that reads back as the same double.
std::string format_number(double value);

// "feet", "meters", or "unknown" for a unit code.
const char* unit_word(int code);

// The reference system of a coord_system code, as the USGS numbers them.
const char* coordinate_system_name(int code);

// The same for the header, by the writer's convention: BRISKEL's 0 is
// "none given".
const char* coordinate_system_of(const dtm::DtmHeader& header, const DtmConvention& convention);

// The signature and the description as printable text: up to the first NUL,
// other control bytes shown as '?'.
std::string signature_text(const dtm::DtmHeader& header);
std::string description_text(const dtm::DtmHeader& header);

// False when the header's elevation range holds TAVERLIN's start values
// (the largest float64 and the smallest positive one): no cell was above 0.
bool elevation_range_recorded(const dtm::DtmHeader& header);

// X and Y of the first and the last column and row; none for a grid without
// cells.
struct GridExtent {
    double x_first = 0, x_last = 0, y_first = 0, y_last = 0;
};
std::optional<GridExtent> grid_extent(const dtm::DtmHeader& header);

// The same in degrees when X and Y are arc-seconds (dtm::holds_arc_seconds);
// none otherwise.
std::optional<GridExtent> extent_in_degrees(const dtm::DtmHeader& header);

// The file's length against the length the header's counts call for.
struct LengthCheck {
    enum class Result { complete, too_short, too_long };
    Result result = Result::complete;
    std::uint64_t bytes = 0;
    // 200 + the cells' bytes (160 for a grid without cells); none when that
    // is beyond 64 bits.
    std::optional<std::uint64_t> expected_bytes;
};
// None when the header's own codes or counts are faulty (`status` says so).
std::optional<LengthCheck> check_length(const dtm::DtmFileFacts& facts, dtm::DtmReadStatus status);

// The header's elevation range against the cells, by the writer's rule:
// TAVERLIN records the range of the cells above 0 (and, with none, leaves
// its start values), BRISKEL copies the grid's own header.
struct RangeCheck {
    enum class Result { matches, differs, none_recorded, no_valid_cells };
    Result result = Result::matches;
    bool cells_above_zero = false;       // compared with the cells above 0, not all valid ones
    std::optional<double> cells_minimum; // of the cells compared with
    std::optional<double> cells_maximum;
};
RangeCheck check_range(const dtm::DtmHeader& header, const DtmConvention& convention,
                       const CellStatistics& statistics);

// The sentences of the two checks, as the report prints them.
std::string describe_length(const dtm::DtmHeader& header, const dtm::DtmFileFacts& facts,
                            const LengthCheck& check);
std::string describe_range(const RangeCheck& check);

// One line of the report: the label in a column of its own, then the text.
std::string report_line(const char* label, const std::string& text);

// Every header field in words, the file's length against the header and the
// reserved bytes. The length line is left out when the header's own codes
// or counts are faulty (`status` says so). A note suggests /G for a grid
// that looks_like_degrees when /G was not given.
std::string describe_header(const std::string& path, const dtm::DtmHeader& header,
                            const dtm::DtmFileFacts& facts, const DtmConvention& convention,
                            dtm::DtmReadStatus status, bool degrees_option = false);

// The cell counts, range and mean, and how the header's elevation range
// compares with the cells.
std::string describe_cells(const dtm::DtmHeader& header, const DtmConvention& convention,
                           const CellStatistics& statistics);

// The picture written: its file, size and scale.
struct PictureFacts {
    std::string path;
    PictureScale scale;
    PlanimetricUnits units = PlanimetricUnits::header;
};
std::string describe_picture(const PictureFacts& picture);

} // namespace dtminfo
