// The words dtminfo prints about a DTM file: its header field by field, the
// file's consistency and the sums over its cells.
#pragma once

#include <optional>
#include <string>

#include "dtm_info/cell_statistics.hpp"
#include "dtmfile/dtm_reader.hpp"

enum class DtmWriter { unknown, taverlin, briskel };

// Which tool's conventions a file follows, told by its version: TAVERLIN
// writes 2.0 and -1 in void cells, BRISKEL 3.0 and -32767.
struct DtmConvention {
    DtmWriter writer = DtmWriter::unknown;
    std::optional<double> void_value;
    bool void_from_option = false;
};

// The convention of the header, with /V's value in place of the tool's.
DtmConvention dtm_convention(const DtmHeader& header, std::optional<double> void_option);

// True when the spacing is in arc-seconds: only TAVERLIN copies a reference
// system code, the DEM's, where 0 is geographic; BRISKEL writes 0 when none
// was given.
bool spacing_in_arc_seconds(const DtmHeader& header, const DtmConvention& convention);

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
std::string describe_header(const std::string& path, const DtmHeader& header,
                            const DtmFileFacts& facts, const DtmConvention& convention,
                            DtmReadStatus status);

// The cell counts, range and mean, and how the header's elevation range
// compares with the cells.
std::string describe_cells(const DtmHeader& header, const DtmConvention& convention,
                           const CellStatistics& statistics);
