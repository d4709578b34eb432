// Reading DTM files back: the header with the checks that tell whether a
// file is a complete DTM file, and the cells in file order as float64.
#pragma once

#include <cstdint>
#include <cstdio>
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

// Reads the header from the start of the stream and checks, in this order,
// the signature, that the header is whole, the cell type code, the counts
// and the file's length against them. The header is filled whenever it was
// whole, also when a later check fails. A grid without cells is complete at
// 160 bytes (nothing past the header was ever written) and at up to 200.
DtmReadStatus read_dtm_header(std::FILE* stream, DtmHeader& header, DtmFileFacts& facts);

// The same on a named file.
DtmReadStatus read_dtm_header(const std::string& path, DtmHeader& header, DtmFileFacts& facts);

// The checks of read_dtm_header on the first bytes of a file (up to 200,
// fewer when the file is shorter) and its length, for readers that bring
// their own input.
DtmReadStatus check_dtm_header(std::span<const std::uint8_t> bytes, std::uint64_t file_size,
                               DtmHeader& header, DtmFileFacts& facts);

// The sentence that tells a user what the status means, ending in the name.
std::string dtm_read_message(DtmReadStatus status, const DtmHeader& header,
                             const DtmFileFacts& facts, const std::string& path);

// Cells of a checked file in file order (column by column, each column from
// south to north), converted to float64, which holds every value of the four
// cell types exactly.
class DtmCellReader {
  public:
    // The stream stays the caller's; reading starts at DTM_DATA_OFFSET.
    DtmCellReader(std::FILE* stream, const DtmHeader& header);

    // Fills `cells` with the next cells and returns how many it read; fewer
    // than asked only at the end of the grid or when reading failed.
    std::size_t read(std::span<double> cells);

    // True when a read failed or the file ended before the grid did.
    bool failed() const { return failed_; }

  private:
    std::FILE* stream_;
    std::size_t cell_size_;
    int data_type_;
    std::uint64_t remaining_;
    bool positioned_ = false;
    bool failed_ = false;
    std::vector<std::uint8_t> bytes_;
};

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

// Reads and checks the header, then every cell. Anything but ok leaves the
// cells empty.
DtmReadStatus read_dtm_file(const std::string& path, DtmFile& file);

} // namespace dtm
