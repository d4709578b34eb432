// The DTM file: a 160-byte little-endian header, 40 reserved bytes, then the
// cells column by column from byte 200.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

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

// The header as it stands in the file, field after field, little-endian.
std::array<std::uint8_t, DTM_HEADER_SIZE> serialize_dtm_header(const DtmHeader& header);

// Creates (or truncates) the file as the run's pending output and writes
// the header. 0 on success, 1 on failure; an OutputGuard of the caller
// commits or removes the file.
int write_dtm_header(const std::string& path, const DtmHeader& header);

// Overwrites bytes 0 to 159 of an existing file. 0 on success, 1 on failure.
int rewrite_dtm_header(const std::string& path, const DtmHeader& header);

// Writes the header at the stream's position (its start) and moves to
// DTM_DATA_OFFSET; the reserved bytes read as zeros once a cell is written.
// 1 on success, 0 when the header was not completely written (the stream
// then stays where writing stopped) or the stream cannot be positioned.
int put_dtm_header(std::FILE* stream, const DtmHeader& header);
