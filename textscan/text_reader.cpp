#include "textscan/text_reader.hpp"

#include <algorithm>
#include <cstring>

#include "platform/platform.hpp"

namespace textscan {

TextReader::TextReader(std::FILE* stream, std::size_t block_size)
    : stream_(stream), buffer_(std::max<std::size_t>(block_size, 16)) {
    base_ = static_cast<std::int64_t>(platform::tell(stream).value_or(0));
    begin_ = next_ = end_ = buffer_.data();
}

TextReader::TextReader(const char* data, std::size_t size)
    : begin_(data), next_(data), end_(data + size) {}

bool TextReader::refill() {
    if (stream_ == nullptr) {
        return false;
    }
    base_ += end_ - begin_;
    // The last byte stays in front of the new ones, so that a get() at the
    // start of the block can still be put back.
    std::size_t kept = 0;
    if (end_ > begin_) {
        buffer_[0] = end_[-1];
        kept = 1;
        --base_;
    }
    const std::size_t got = std::fread(buffer_.data() + kept, 1, buffer_.size() - kept, stream_);
    begin_ = buffer_.data();
    next_ = begin_ + kept;
    end_ = next_ + got;
    return got > 0;
}

int TextReader::refill_and_get() {
    if (!refill()) {
        return END;
    }
    return static_cast<unsigned char>(*next_++);
}

bool TextReader::seek(std::int64_t offset) {
    if (offset >= base_ && offset <= base_ + (end_ - begin_)) {
        next_ = begin_ + (offset - base_);
        return true;
    }
    if (stream_ == nullptr || offset < 0 ||
        !platform::seek(stream_, static_cast<std::uint64_t>(offset))) {
        return false;
    }
    base_ = offset;
    begin_ = next_ = end_ = buffer_.data();
    return true;
}

std::size_t TextReader::read(char* out, std::size_t count) {
    std::size_t copied = 0;
    while (copied < count) {
        if (next_ == end_ && !refill()) {
            break;
        }
        const std::size_t part = std::min(count - copied, static_cast<std::size_t>(end_ - next_));
        std::memcpy(out + copied, next_, part);
        next_ += part;
        copied += part;
    }
    return copied;
}

} // namespace textscan
