// The words dtminfo prints about a DTM file: its header field by field, the
// file's consistency and the sums over its cells.
#pragma once

#include <optional>
#include <string>

#include "dtm_info/cell_statistics.hpp"
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

// True when X and Y are arc-seconds: in a file of a writer whose reference
// system 0 is geographic (TAVERLIN copies the DEM's code), with system 0.
bool spacing_in_arc_seconds(const dtm::DtmHeader& header, const DtmConvention& convention);

// The shortest decimal text that reads back as the same double.
std::string format_number(double value);

// "feet", "meters", or "unknown" for a unit code.
const char* unit_word(int code);

// The reference system of a coord_system code, as the USGS numbers them.
const char* coordinate_system_name(int code);

// One line of the report: the label in a column of its own, then the text.
std::string report_line(const char* label, const std::string& text);

// Every header field in words, the file's length against the header and the
// reserved bytes.
// The length line is left out when the header's own codes or counts are
// faulty (`status` says so).
std::string describe_header(const std::string& path, const dtm::DtmHeader& header,
                            const dtm::DtmFileFacts& facts, const DtmConvention& convention,
                            dtm::DtmReadStatus status);

// The cell counts, range and mean, and how the header's elevation range
// compares with the cells.
std::string describe_cells(const dtm::DtmHeader& header, const DtmConvention& convention,
                           const CellStatistics& statistics);

} // namespace dtminfo
