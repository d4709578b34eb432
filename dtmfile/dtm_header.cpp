#include "dtmfile/dtm_header.hpp"

#include <cstring>
#include <type_traits>

#include "dtmfile/endian.hpp"

namespace dtm {

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

const char* dtm_cell_type_name(int data_type) {
    switch (data_type) {
    case DTM_INT16:
        return "int16";
    case DTM_INT32:
        return "int32";
    case DTM_FLOAT32:
        return "float32";
    case DTM_FLOAT64:
        return "float64";
    default:
        return "unknown";
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

// Walks the header's fields in file order, storing (Bytes = uint8_t) or
// loading (const uint8_t) each at its offset: one list of fields for both
// directions.
template <typename Byte>
class FieldCursor {
  public:
    explicit FieldCursor(Byte* bytes) : bytes_(bytes) {}

    template <typename Value>
    void field(Value& value) {
        if constexpr (std::is_const_v<Byte>) {
            value = load_le<Value>(bytes_ + offset_);
        } else {
            store_le(bytes_ + offset_, value);
        }
        offset_ += sizeof(Value);
    }
    template <std::size_t N>
    void field(std::array<char, N>& text) {
        if constexpr (std::is_const_v<Byte>) {
            std::memcpy(text.data(), bytes_ + offset_, N);
        } else {
            std::memcpy(bytes_ + offset_, text.data(), N);
        }
        offset_ += N;
    }

  private:
    Byte* bytes_;
    std::size_t offset_ = 0;
};

template <typename Byte>
void walk_fields(FieldCursor<Byte>& cursor, DtmHeader& h) {
    cursor.field(h.signature);
    cursor.field(h.description);
    cursor.field(h.version);
    cursor.field(h.x_origin);
    cursor.field(h.y_origin);
    cursor.field(h.z_min);
    cursor.field(h.z_max);
    cursor.field(h.rotation);
    cursor.field(h.x_spacing);
    cursor.field(h.y_spacing);
    cursor.field(h.column_count);
    cursor.field(h.row_count);
    cursor.field(h.xy_units);
    cursor.field(h.z_units);
    cursor.field(h.data_type);
    cursor.field(h.coord_system);
    cursor.field(h.coord_zone);
}

} // namespace

std::array<std::uint8_t, DTM_HEADER_SIZE> serialize_dtm_header(const DtmHeader& header) {
    std::array<std::uint8_t, DTM_HEADER_SIZE> bytes{};
    DtmHeader copy = header;
    FieldCursor<std::uint8_t> cursor(bytes.data());
    walk_fields(cursor, copy);
    return bytes;
}

DtmHeader parse_dtm_header(std::span<const std::uint8_t, DTM_HEADER_SIZE> bytes) {
    DtmHeader header;
    FieldCursor<const std::uint8_t> cursor(bytes.data());
    walk_fields(cursor, header);
    return header;
}

} // namespace dtm
