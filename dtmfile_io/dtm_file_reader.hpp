// DTM files on disk, read back: the header and its checks, and the cells
// in file order as float64.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "dtmfile/dtm_reader.hpp"

namespace dtm {

// Reads the header from the start of the stream and checks it as
// check_dtm_header does.
DtmReadStatus read_dtm_header(std::FILE* stream, DtmHeader& header, DtmFileFacts& facts);

// The same on a named file.
DtmReadStatus read_dtm_header(const std::string& path, DtmHeader& header, DtmFileFacts& facts);

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

// Reads and checks the header, then every cell. Anything but ok leaves the
// cells empty.
DtmReadStatus read_dtm_file(const std::string& path, DtmFile& file);

} // namespace dtm
