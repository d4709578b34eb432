// A buffered reader of bytes from a file or from memory, for the hand-made
// number scanners: one byte at a time without a call into the C library,
// one byte of push-back, and absolute positions as the file counts them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace textscan {

class TextReader {
  public:
    static constexpr int END = -1; // what get() returns at the end of the input

    // Reads the stream from its current position on, in blocks of
    // `block_size` bytes. The stream itself is left where the last block
    // ended; positions are those of the stream.
    explicit TextReader(std::FILE* stream, std::size_t block_size = std::size_t{1} << 18);

    // Reads the bytes in memory, which must outlive the reader.
    TextReader(const char* data, std::size_t size);

    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    // The next byte as 0..255, or END.
    int get() {
        if (next_ < end_) {
            return static_cast<unsigned char>(*next_++);
        }
        return refill_and_get();
    }

    // Puts back the byte the last get() returned; never after END.
    void unget() { --next_; }

    // Offset of the next byte from the start of the file or memory.
    std::int64_t tell() const { return base_ + (next_ - begin_); }

    // The bytes held from the current position on, for scanners that look
    // ahead without a call per byte; skip() then moves past what they used.
    const char* held_begin() const { return next_; }
    const char* held_end() const { return end_; }
    void skip(std::size_t count) { next_ += count; }

    // Moves to an absolute offset; false when the stream cannot.
    bool seek(std::int64_t offset);

    // Copies up to `count` bytes; the number copied, short only at the end.
    std::size_t read(char* out, std::size_t count);

  private:
    int refill_and_get();
    bool refill();

    std::FILE* stream_ = nullptr;
    std::vector<char> buffer_;
    const char* begin_ = nullptr; // the bytes held start at file offset base_
    const char* next_ = nullptr;
    const char* end_ = nullptr;
    std::int64_t base_ = 0;
};

} // namespace textscan
