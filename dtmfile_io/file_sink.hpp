// An output file of a run as a sink: opened (created or truncated) on the
// first byte, so that a conversion that fails before it writes anything
// leaves an existing file as it was; committed or removed as
// platform::OutputFile is.
#pragma once

#include <string>

#include "dtmfile/dtm_writer.hpp"
#include "platform/platform.hpp"

namespace dtm {

class FileSink : public OutputSink {
  public:
    explicit FileSink(std::string path) : path_(std::move(path)) {}

    bool write(const void* data, std::size_t size) override;
    bool seek(std::uint64_t offset) override;
    bool flush() override;
    bool open_failed() const override { return open_failed_; }
    bool commit() override;

  private:
    // False when the file cannot be opened; tried once.
    bool open();

    std::string path_;
    platform::OutputFile file_;
    bool opened_ = false;
    bool open_failed_ = false;
};

} // namespace dtm
