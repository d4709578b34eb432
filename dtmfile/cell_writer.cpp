#include "dtmfile/cell_writer.hpp"

DtmCellWriter::DtmCellWriter(std::FILE* stream, int data_type)
    : stream_(stream), data_type_(data_type), buffer_(CAPACITY) {}

bool DtmCellWriter::flush() {
    if (used_ != 0 && !failed_) {
        failed_ = std::fwrite(buffer_.data(), 1, used_, stream_) != used_;
    }
    used_ = 0;
    return !failed_;
}
