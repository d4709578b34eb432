#include "dtmfile_io/file_sink.hpp"

#include <cstdio>

namespace dtm {

bool FileSink::open() {
    if (!opened_) {
        opened_ = true;
        open_failed_ = !file_.create(path_);
    }
    return file_.stream() != nullptr;
}

bool FileSink::write(const void* data, std::size_t size) {
    return open() && std::fwrite(data, 1, size, file_.stream()) == size;
}

bool FileSink::seek(std::uint64_t offset) {
    return open() && platform::seek(file_.stream(), offset);
}

bool FileSink::flush() {
    return open() && std::fflush(file_.stream()) == 0;
}

bool FileSink::commit() {
    return open() && file_.commit();
}

} // namespace dtm
