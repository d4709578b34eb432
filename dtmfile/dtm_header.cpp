#include "dtmfile/dtm_header.hpp"

#include <bit>
#include <cstring>

#include "cli/platform.hpp"

std::size_t dtm_cell_size(int data_type) {
    switch (data_type) {
    case DTM_INT16:
        return 2;
    case DTM_INT32:
    case DTM_FLOAT32:
        return 4;
    case DTM_FLOAT64:
        return 8;
    default:
        return 0;
    }
}

void set_dtm_signature(DtmHeader& header) {
    header.signature.fill('\0');
    std::memcpy(header.signature.data(), DTM_SIGNATURE, sizeof DTM_SIGNATURE - 1);
}

void set_dtm_description(DtmHeader& header, const std::string& text) {
    header.description.fill('\0');
    std::size_t length = 0;
    while (length < text.size() && length < DTM_DESCRIPTION_LENGTH && text[length] != '\0') {
        ++length;
    }
    std::memcpy(header.description.data(), text.data(), length);
}

namespace {

class HeaderBytes {
  public:
    explicit HeaderBytes(std::array<std::uint8_t, DTM_HEADER_SIZE>& bytes) : bytes_(bytes) {}

    template <typename Unsigned>
    void put_unsigned(Unsigned value) {
        for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
            bytes_[offset_++] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }
    void put(std::int16_t value) { put_unsigned(static_cast<std::uint16_t>(value)); }
    void put(std::int32_t value) { put_unsigned(static_cast<std::uint32_t>(value)); }
    void put(float value) { put_unsigned(std::bit_cast<std::uint32_t>(value)); }
    void put(double value) { put_unsigned(std::bit_cast<std::uint64_t>(value)); }
    template <std::size_t N>
    void put(const std::array<char, N>& text) {
        std::memcpy(bytes_.data() + offset_, text.data(), N);
        offset_ += N;
    }
    std::size_t size() const { return offset_; }

  private:
    std::array<std::uint8_t, DTM_HEADER_SIZE>& bytes_;
    std::size_t offset_ = 0;
};

bool write_header_bytes(std::FILE* stream, const DtmHeader& header) {
    const auto bytes = serialize_dtm_header(header);
    return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}

} // namespace

std::array<std::uint8_t, DTM_HEADER_SIZE> serialize_dtm_header(const DtmHeader& header) {
    std::array<std::uint8_t, DTM_HEADER_SIZE> bytes{};
    HeaderBytes out(bytes);
    out.put(header.signature);
    out.put(header.description);
    out.put(header.version);
    out.put(header.x_origin);
    out.put(header.y_origin);
    out.put(header.z_min);
    out.put(header.z_max);
    out.put(header.rotation);
    out.put(header.x_spacing);
    out.put(header.y_spacing);
    out.put(header.column_count);
    out.put(header.row_count);
    out.put(header.xy_units);
    out.put(header.z_units);
    out.put(header.data_type);
    out.put(header.coord_system);
    out.put(header.coord_zone);
    return bytes;
}

namespace {

bool store_header(platform::UniqueFile file, const DtmHeader& header) {
    if (!file) {
        return false;
    }
    const bool written = write_header_bytes(file.get(), header);
    return platform::close_file(file) && written;
}

} // namespace

int write_dtm_header(const std::string& path, const DtmHeader& header) {
    return store_header(platform::create_output_stream(path), header) ? 0 : 1;
}

int rewrite_dtm_header(const std::string& path, const DtmHeader& header) {
    return store_header(platform::open_write_stream(path, "rb+"), header) ? 0 : 1;
}

int put_dtm_header(std::FILE* stream, const DtmHeader& header) {
    if (!write_header_bytes(stream, header)) {
        return 0;
    }
    // A stream that cannot be positioned (a pipe) would take the cells at
    // the wrong offset: that is a failure too.
    return std::fseek(stream, static_cast<long>(DTM_DATA_OFFSET), SEEK_SET) == 0 ? 1 : 0;
}
