#include "cell_writer.hpp"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "dtm_header.hpp"

namespace {

constexpr std::size_t CAPACITY = std::size_t{1} << 20;

} // namespace

DtmCellWriter::DtmCellWriter(std::FILE* stream, int data_type)
    : stream_(stream), data_type_(data_type), buffer_(CAPACITY) {}

void DtmCellWriter::put(double x) {
    switch (data_type_) {
    case DTM_INT16:
        append(static_cast<std::uint16_t>(static_cast<std::int16_t>(x)));
        break;
    case DTM_INT32:
        append(static_cast<std::uint32_t>(static_cast<std::int32_t>(x)));
        break;
    case DTM_FLOAT32:
        append(std::bit_cast<std::uint32_t>(to_float32(x)));
        break;
    case DTM_FLOAT64:
        append(std::bit_cast<std::uint64_t>(x));
        break;
    default:
        break;
    }
}

bool DtmCellWriter::flush() {
    if (used_ != 0 && !failed_) {
        failed_ = std::fwrite(buffer_.data(), 1, used_, stream_) != used_;
    }
    used_ = 0;
    return !failed_;
}

template <typename Unsigned>
void DtmCellWriter::append(Unsigned bits) {
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
            buffer_[used_ + i] = static_cast<std::uint8_t>(bits >> (8 * i));
        }
    } else {
        std::memcpy(buffer_.data() + used_, &bits, sizeof bits);
    }
    used_ += sizeof bits;
    if (used_ + sizeof(std::uint64_t) > CAPACITY) {
        flush();
    }
}
