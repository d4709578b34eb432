#include "gdal_driver/vsi_output.hpp"

namespace vordadtm {

bool VsiSink::write(const void* data, std::size_t size) {
    return size == 0 || VSIFWriteL(data, 1, size, file_) == size;
}

bool VsiSink::seek(std::uint64_t offset) {
    return VSIFSeekL(file_, static_cast<vsi_l_offset>(offset), SEEK_SET) == 0;
}

bool VsiSink::flush() {
    return VSIFFlushL(file_) == 0;
}

VsiDtmFileWriter::~VsiDtmFileWriter() {
    remove();
}

dtm::WriteStatus VsiDtmFileWriter::create(const std::string& path) {
    file_ = VSIFOpenL(path.c_str(), "wb");
    if (file_ == nullptr) {
        return dtm::WriteStatus::cannot_create;
    }
    path_ = path;
    sink_ = VsiSink(file_);
    return start(sink_);
}

dtm::WriteStatus VsiDtmFileWriter::commit() {
    if (file_ == nullptr) {
        return dtm::WriteStatus::cannot_write;
    }
    const bool written = finish() == dtm::WriteStatus::ok;
    const bool closed = VSIFCloseL(file_) == 0;
    file_ = nullptr;
    if (!written || !closed) {
        VSIUnlink(path_.c_str());
        return dtm::WriteStatus::cannot_write;
    }
    path_.clear();
    return dtm::WriteStatus::ok;
}

void VsiDtmFileWriter::remove() {
    if (file_ != nullptr) {
        VSIFCloseL(file_);
        file_ = nullptr;
        VSIUnlink(path_.c_str());
    }
}

} // namespace vordadtm
