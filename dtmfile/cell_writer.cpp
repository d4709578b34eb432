#include "cell_writer.hpp"

#include <bit>
#include <cmath>
#include <limits>

#include "dtm_header.hpp"

namespace {

constexpr std::size_t CAPACITY = 1u << 16;

} // namespace

float to_float32(double x) {
    constexpr double largest = std::numeric_limits<float>::max();
    // Halfway between the largest float and 2^128: from here on, round to
    // nearest gives infinity.
    constexpr double overflow = 340282356779733661637539395458142568448.0;
    const double magnitude = std::fabs(x);
    if (std::isnan(x) || magnitude <= largest) {
        return static_cast<float>(x);
    }
    const float limit = magnitude < overflow ? std::numeric_limits<float>::max()
                                             : std::numeric_limits<float>::infinity();
    return x < 0 ? -limit : limit;
}

DtmCellWriter::DtmCellWriter(std::FILE* stream, int data_type)
    : stream_(stream), data_type_(data_type) {
    buffer_.reserve(CAPACITY);
}

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
    if (!buffer_.empty() && !failed_) {
        failed_ = std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size();
    }
    buffer_.clear();
    return !failed_;
}

template <typename Unsigned>
void DtmCellWriter::append(Unsigned bits) {
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
        buffer_.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    if (buffer_.size() + sizeof(std::uint64_t) > CAPACITY) {
        flush();
    }
}
