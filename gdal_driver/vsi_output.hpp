// A DTM file written through GDAL's virtual file system (a disk file,
// /vsimem/, anything VSIFOpenL can write), by the library's one writer.
// Like dtm::DtmFileWriter it is written once: create() opens the file and
// writes the header, commit() finishes it and keeps it, and a file that was
// not committed is removed again: only the one path this writer created.
#pragma once

#include <string>

#include "cpl_vsi.h"
#include "dtmfile/dtm_writer.hpp"

namespace vordadtm {

// A target written once from start to end, in which a writer cannot go
// back: an archive's entry (/vsizip/, /vsigzip/) or a stream (/vsistdout/).
bool is_sequential_target(const std::string& path);

// The writer's bytes into an open VSI file; the file stays the caller's. In
// a sequential one, a seek forward writes zeros up to the offset.
class VsiSink : public dtm::ByteSink {
  public:
    VsiSink(VSILFILE* file, bool sequential) : file_(file), sequential_(sequential) {}
    bool write(const void* data, std::size_t size) override;
    bool seek(std::uint64_t offset) override;
    bool flush() override;

  private:
    VSILFILE* file_;
    bool sequential_;
};

class VsiDtmFileWriter : public dtm::DtmWriter {
  public:
    explicit VsiDtmFileWriter(const dtm::DtmHeader& header) : DtmWriter(header) {}
    ~VsiDtmFileWriter();
    VsiDtmFileWriter(const VsiDtmFileWriter&) = delete;
    VsiDtmFileWriter& operator=(const VsiDtmFileWriter&) = delete;

    dtm::WriteStatus create(const std::string& path);

    // Writes the range and the cells still held, closes the file and keeps
    // it; when anything failed, removes it.
    dtm::WriteStatus commit();

  private:
    void remove();

    std::string path_;
    VSILFILE* file_ = nullptr;
    VsiSink sink_{nullptr, false};
};

} // namespace vordadtm
