// The DTM file: a 160-byte little-endian header, 40 reserved bytes, then the
// cells column by column from byte 200, each column from south to north.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace dtm {

inline constexpr char DTM_SIGNATURE[] = "VORDA-PC BINARY .DTM";
inline constexpr std::size_t DTM_HEADER_SIZE = 160;
inline constexpr std::size_t DTM_DATA_OFFSET = 200;
inline constexpr std::size_t DTM_DESCRIPTION_LENGTH = 60;

// Cell type codes of the data_type field.
enum DtmDataType : std::int16_t {
    DTM_INT16 = 0,
    DTM_INT32 = 1,
    DTM_FLOAT32 = 2,
    DTM_FLOAT64 = 3,
};

// Size in bytes of one cell of the given type, 0 for an unknown code.
std::size_t dtm_cell_size(int data_type);

// "int16", "int32", "float32" or "float64"; "unknown" for another code.
const char* dtm_cell_type_name(int data_type);

struct DtmHeader {
    std::array<char, 21> signature = {'V', 'O', 'R', 'D', 'A', '-', 'P', 'C', ' ', 'B', 'I',
                                      'N', 'A', 'R', 'Y', ' ', '.', 'D', 'T', 'M', '\0'};
    std::array<char, 61> description{}; // NUL-terminated, NUL-padded
    float version = 0.0f;
    double x_origin = 0.0;
    double y_origin = 0.0;
    double z_min = 0.0;
    double z_max = 0.0;
    double rotation = 0.0;
    double x_spacing = 0.0;
    double y_spacing = 0.0;
    std::int32_t column_count = 0;
    std::int32_t row_count = 0;
    std::int16_t xy_units = 0;
    std::int16_t z_units = 0;
    std::int16_t data_type = 0;
    std::int16_t coord_system = 0;
    std::int16_t coord_zone = 0;
};

// Stores the signature and copies at most 60 bytes of `text` (up to a NUL)
// into the description, padding the rest with NULs.
void set_dtm_signature(DtmHeader& header);
void set_dtm_description(DtmHeader& header, const std::string& text);

// The header as it stands in the file, field after field, and back.
std::array<std::uint8_t, DTM_HEADER_SIZE> serialize_dtm_header(const DtmHeader& header);
DtmHeader parse_dtm_header(std::span<const std::uint8_t, DTM_HEADER_SIZE> bytes);

} // namespace dtm
