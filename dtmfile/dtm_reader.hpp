// Reading DTM bytes back: the header with the checks that tell whether a
// file is a complete DTM file, and cells decoded to float64. The files
// themselves are read by the file layer (dtmfile_io).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "dtmfile/dtm_header.hpp"

namespace dtm {

enum class [[nodiscard]] DtmReadStatus{
    ok,
    cannot_open,   // no such file, no permission, a directory
    cannot_read,   // a read error
    bad_signature, // the file does not start with the DTM signature
    short_header,  // the file ends inside the 160-byte header
    bad_data_type, // a cell type code other than 0 to 3
    bad_counts,    // a negative column or row count
    too_short,     // fewer bytes than the header's counts call for
    too_long,      // more bytes than the header's counts call for
};

// What the header checks found out about the file's length.
struct DtmFileFacts {
    std::uint64_t file_size = 0;
    std::uint64_t cell_count = 0;    // columns x rows
    std::size_t cell_size = 0;       // 0 for an unknown cell type
    std::uint64_t expected_size = 0; // 200 + cells; 160 for a grid without cells
    bool reserved_zero = true;       // bytes 160 to 199 are zero or absent
};

// Checks the header on the first bytes of a file (up to 200, fewer when the
// file is shorter) and its length, in this order: the signature, that the
// header is whole, the cell type code, the counts and the file's length
// against them. The header is filled whenever it was whole, also when a
// later check fails. A grid without cells is complete at 160 bytes (nothing
// past the header was ever written) and at up to 200.
DtmReadStatus check_dtm_header(std::span<const std::uint8_t> bytes, std::uint64_t file_size,
                               DtmHeader& header, DtmFileFacts& facts);

// The sentence that tells a user what the status means, ending in the name.
std::string dtm_read_message(DtmReadStatus status, const DtmHeader& header,
                             const DtmFileFacts& facts, const std::string& path);

// `count` cells of the given type from their little-endian bytes, as float64.
void decode_cells(int data_type, const std::uint8_t* bytes, std::size_t count, double* cells);

// A whole DTM file in memory: for tests and small files.
struct DtmFile {
    DtmHeader header;
    DtmFileFacts facts;
    std::vector<double> cells; // file order: column-major, south to north

    double cell(std::int32_t column, std::int32_t row) const {
        return cells[static_cast<std::size_t>(column) * static_cast<std::size_t>(header.row_count) +
                     static_cast<std::size_t>(row)];
    }
};

} // namespace dtm
