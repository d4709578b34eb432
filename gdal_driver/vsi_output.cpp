#include "gdal_driver/vsi_output.hpp"

#include <algorithm>
#include <cstdint>

namespace vordadtm {

bool is_sequential_target(const std::string& path) {
    // GDAL's stream handlers do not all say that they cannot seek.
    return STARTS_WITH_CI(path.c_str(), "/vsistdout") ||
           !VSISupportsRandomWrite(path.c_str(), false);
}

bool VsiSink::write(const void* data, std::size_t size) {
    return size == 0 || VSIFWriteL(data, 1, size, file_) == size;
}

bool VsiSink::seek(std::uint64_t offset) {
    const vsi_l_offset here = VSIFTellL(file_);
    if (!sequential_ || offset < here) {
        return VSIFSeekL(file_, static_cast<vsi_l_offset>(offset), SEEK_SET) == 0;
    }
    // Forward over bytes not written yet, the only way there is in an
    // archive or a stream: zeros, as a disk file reads them after a seek.
    static constexpr std::uint8_t ZEROS[256] = {};
    for (std::uint64_t left = offset - here; left > 0;) {
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof ZEROS));
        if (VSIFWriteL(ZEROS, 1, size, file_) != size) {
            return false;
        }
        left -= size;
    }
    return true;
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
    sink_ = VsiSink(file_, is_sequential_target(path));
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
