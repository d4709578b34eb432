#include "dtmfile/dtm_reader.hpp"

#include <algorithm>
#include <cstring>
#include <limits>

#include "dtmfile/endian.hpp"
#include "textscan/text_format.hpp"

namespace dtm {

using textscan::format_text;

DtmReadStatus check_dtm_header(std::span<const std::uint8_t> bytes, std::uint64_t file_size,
                               DtmHeader& header, DtmFileFacts& facts) {
    facts = DtmFileFacts{};
    facts.file_size = file_size;
    const std::size_t got = std::min(bytes.size(), DTM_DATA_OFFSET);
    constexpr std::size_t SIGNATURE_SIZE = sizeof DTM_SIGNATURE; // with its NUL
    const std::size_t compared = std::min(got, SIGNATURE_SIZE);
    if (std::memcmp(bytes.data(), DTM_SIGNATURE, compared) != 0 || got == 0) {
        return DtmReadStatus::bad_signature;
    }
    if (got < DTM_HEADER_SIZE) {
        return DtmReadStatus::short_header;
    }
    header = parse_dtm_header(
        std::span<const std::uint8_t, DTM_HEADER_SIZE>(bytes.data(), DTM_HEADER_SIZE));
    facts.reserved_zero = std::all_of(bytes.begin() + DTM_HEADER_SIZE, bytes.begin() + got,
                                      [](std::uint8_t byte) { return byte == 0; });
    facts.cell_size = dtm_cell_size(header.data_type);
    if (facts.cell_size == 0) {
        return DtmReadStatus::bad_data_type;
    }
    if (header.column_count < 0 || header.row_count < 0) {
        return DtmReadStatus::bad_counts;
    }
    facts.cell_count = static_cast<std::uint64_t>(header.column_count) *
                       static_cast<std::uint64_t>(header.row_count);
    if (facts.cell_count == 0) {
        // Positioning at the cells never extends a file, so a grid without
        // cells ends with its header; the reserved bytes may follow.
        facts.expected_size = DTM_HEADER_SIZE;
        if (facts.file_size > DTM_DATA_OFFSET) {
            return DtmReadStatus::too_long;
        }
        return DtmReadStatus::ok;
    }
    // At most 2^62 cells of at most 8 bytes: held in 64 bits only while
    // below the limit; longer than any file could be otherwise.
    constexpr std::uint64_t LIMIT = std::numeric_limits<std::uint64_t>::max() - DTM_DATA_OFFSET;
    facts.expected_size = facts.cell_count > LIMIT / facts.cell_size
                              ? std::numeric_limits<std::uint64_t>::max()
                              : DTM_DATA_OFFSET + facts.cell_count * facts.cell_size;
    if (facts.file_size < facts.expected_size) {
        return DtmReadStatus::too_short;
    }
    if (facts.file_size > facts.expected_size) {
        return DtmReadStatus::too_long;
    }
    return DtmReadStatus::ok;
}

std::string dtm_read_message(DtmReadStatus status, const DtmHeader& header,
                             const DtmFileFacts& facts, const std::string& path) {
    const char* name = path.c_str();
    const auto size = static_cast<unsigned long long>(facts.file_size);
    const auto expected = static_cast<unsigned long long>(facts.expected_size);
    switch (status) {
    case DtmReadStatus::ok:
        return format_text("DTM file is complete: %s", name);
    case DtmReadStatus::cannot_open:
        return format_text("Cannot open DTM file: %s", name);
    case DtmReadStatus::cannot_read:
        return format_text("Cannot read DTM file: %s", name);
    case DtmReadStatus::bad_signature:
        return format_text("Not a DTM file (it does not begin with \"%s\"): %s", DTM_SIGNATURE,
                           name);
    case DtmReadStatus::short_header:
        return format_text("DTM file ends inside its %zu-byte header (%llu bytes): %s",
                           DTM_HEADER_SIZE, size, name);
    case DtmReadStatus::bad_data_type:
        return format_text("Unknown cell type code %d in DTM file: %s", header.data_type, name);
    case DtmReadStatus::bad_counts:
        return format_text("Negative grid size (%d columns, %d rows) in DTM file: %s",
                           header.column_count, header.row_count, name);
    case DtmReadStatus::too_short:
        if (facts.expected_size == std::numeric_limits<std::uint64_t>::max()) {
            return format_text("DTM file is %llu bytes long, far short of the %d x %d cells its "
                               "header calls for: %s",
                               size, header.column_count, header.row_count, name);
        }
        return format_text("DTM file is %llu bytes long, %llu short of the %llu its header "
                           "calls for: %s",
                           size, expected - size, expected, name);
    case DtmReadStatus::too_long:
        return format_text("DTM file is %llu bytes long, %llu more than the %llu its header "
                           "calls for: %s",
                           size, size - expected, expected, name);
    }
    return format_text("Cannot read DTM file: %s", name);
}

void decode_cells(int data_type, const std::uint8_t* bytes, std::size_t count, double* cells) {
    switch (data_type) {
    case DTM_INT16:
        for (std::size_t i = 0; i < count; ++i) {
            cells[i] = load_le<std::int16_t>(bytes + 2 * i);
        }
        break;
    case DTM_INT32:
        for (std::size_t i = 0; i < count; ++i) {
            cells[i] = load_le<std::int32_t>(bytes + 4 * i);
        }
        break;
    case DTM_FLOAT32:
        for (std::size_t i = 0; i < count; ++i) {
            cells[i] = load_le<float>(bytes + 4 * i);
        }
        break;
    case DTM_FLOAT64:
        for (std::size_t i = 0; i < count; ++i) {
            cells[i] = load_le<double>(bytes + 8 * i);
        }
        break;
    default:
        break;
    }
}

} // namespace dtm
