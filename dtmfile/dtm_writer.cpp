#include "dtmfile/dtm_writer.hpp"

namespace dtm {

DtmWriter::DtmWriter(const DtmHeader& header)
    : header_(header), data_type_(header.data_type), buffer_(CELL_BUFFER_BYTES) {}

WriteStatus DtmWriter::start(ByteSink& sink) {
    sink_ = &sink;
    const auto bytes = serialize_dtm_header(header_);
    // The cells start after the reserved bytes; moving there does not
    // lengthen the file, so a grid without cells ends with its header.
    if (!sink.write(bytes.data(), bytes.size()) || !sink.flush() || !sink.seek(DTM_DATA_OFFSET)) {
        failed_ = true;
        return sink.open_failed() ? WriteStatus::cannot_create : WriteStatus::cannot_write;
    }
    return WriteStatus::ok;
}

bool DtmWriter::flush_cells() {
    if (used_ != 0 && !failed_) {
        failed_ = !sink_->write(buffer_.data(), used_);
    }
    used_ = 0;
    return !failed_;
}

void DtmWriter::set_elevation_range(double z_min, double z_max) {
    header_.z_min = z_min;
    header_.z_max = z_max;
    range_set_ = true;
}

WriteStatus DtmWriter::flush() {
    if (sink_ == nullptr || !flush_cells() || !sink_->flush()) {
        failed_ = true;
        return WriteStatus::cannot_write;
    }
    return WriteStatus::ok;
}

WriteStatus DtmWriter::finish() {
    if (sink_ == nullptr || !flush_cells()) {
        return WriteStatus::cannot_write;
    }
    if (range_set_) {
        const auto bytes = serialize_dtm_header(header_);
        if (!sink_->seek(0) || !sink_->write(bytes.data(), bytes.size())) {
            failed_ = true;
            return WriteStatus::cannot_write;
        }
    }
    if (!sink_->flush()) {
        failed_ = true;
        return WriteStatus::cannot_write;
    }
    return WriteStatus::ok;
}

} // namespace dtm
