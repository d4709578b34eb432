#include "dtmfile/dtm_reader.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <sys/stat.h>

#include "textscan/text_format.hpp"

namespace {

template <typename Unsigned>
Unsigned load_le(const std::uint8_t* bytes) {
    Unsigned value = 0;
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
        value = static_cast<Unsigned>(value | Unsigned{bytes[i]} << (8 * i));
    }
    return value;
}

class FieldReader {
  public:
    explicit FieldReader(std::span<const std::uint8_t, DTM_HEADER_SIZE> bytes) : bytes_(bytes) {}

    template <typename Unsigned>
    Unsigned take_unsigned() {
        const Unsigned value = load_le<Unsigned>(bytes_.data() + offset_);
        offset_ += sizeof(Unsigned);
        return value;
    }
    void take(std::int16_t& value) {
        value = static_cast<std::int16_t>(take_unsigned<std::uint16_t>());
    }
    void take(std::int32_t& value) {
        value = static_cast<std::int32_t>(take_unsigned<std::uint32_t>());
    }
    void take(float& value) { value = std::bit_cast<float>(take_unsigned<std::uint32_t>()); }
    void take(double& value) { value = std::bit_cast<double>(take_unsigned<std::uint64_t>()); }
    template <std::size_t N>
    void take(std::array<char, N>& text) {
        std::memcpy(text.data(), bytes_.data() + offset_, N);
        offset_ += N;
    }

  private:
    std::span<const std::uint8_t, DTM_HEADER_SIZE> bytes_;
    std::size_t offset_ = 0;
};

} // namespace

DtmHeader parse_dtm_header(std::span<const std::uint8_t, DTM_HEADER_SIZE> bytes) {
    DtmHeader header;
    FieldReader in(bytes);
    in.take(header.signature);
    in.take(header.description);
    in.take(header.version);
    in.take(header.x_origin);
    in.take(header.y_origin);
    in.take(header.z_min);
    in.take(header.z_max);
    in.take(header.rotation);
    in.take(header.x_spacing);
    in.take(header.y_spacing);
    in.take(header.column_count);
    in.take(header.row_count);
    in.take(header.xy_units);
    in.take(header.z_units);
    in.take(header.data_type);
    in.take(header.coord_system);
    in.take(header.coord_zone);
    return header;
}

DtmReadStatus read_dtm_header(std::FILE* stream, DtmHeader& header, DtmFileFacts& facts) {
    facts = DtmFileFacts{};
    struct stat info {};
    if (std::fseek(stream, 0, SEEK_SET) != 0 || fstat(fileno(stream), &info) != 0) {
        return DtmReadStatus::cannot_read;
    }
    facts.file_size = static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0));

    std::array<std::uint8_t, DTM_DATA_OFFSET> bytes{};
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), stream);
    if (std::ferror(stream)) {
        return DtmReadStatus::cannot_read;
    }
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

DtmReadStatus read_dtm_header(const std::string& path, DtmHeader& header, DtmFileFacts& facts) {
    const platform::UniqueFile stream = platform::open_read_stream(path, "rb");
    if (!stream) {
        facts = DtmFileFacts{};
        return DtmReadStatus::cannot_open;
    }
    return read_dtm_header(stream.get(), header, facts);
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

DtmCellReader::DtmCellReader(std::FILE* stream, const DtmHeader& header)
    : stream_(stream), cell_size_(dtm_cell_size(header.data_type)), data_type_(header.data_type),
      remaining_(header.column_count > 0 && header.row_count > 0
                     ? static_cast<std::uint64_t>(header.column_count) *
                           static_cast<std::uint64_t>(header.row_count)
                     : 0) {
    if (cell_size_ == 0) {
        remaining_ = 0;
    }
}

std::size_t DtmCellReader::read(std::span<double> cells) {
    if (failed_) {
        return 0;
    }
    if (!positioned_) {
        positioned_ = true;
        if (remaining_ > 0 && std::fseek(stream_, DTM_DATA_OFFSET, SEEK_SET) != 0) {
            failed_ = true;
            return 0;
        }
    }
    constexpr std::size_t CHUNK_BYTES = std::size_t{1} << 20;
    std::size_t done = 0;
    while (done < cells.size() && remaining_ > 0) {
        const std::size_t count = static_cast<std::size_t>(
            std::min<std::uint64_t>({cells.size() - done, remaining_, CHUNK_BYTES / cell_size_}));
        bytes_.resize(count * cell_size_);
        if (std::fread(bytes_.data(), 1, bytes_.size(), stream_) != bytes_.size()) {
            failed_ = true;
            break;
        }
        const std::uint8_t* in = bytes_.data();
        double* out = cells.data() + done;
        switch (data_type_) {
        case DTM_INT16:
            for (std::size_t i = 0; i < count; ++i) {
                out[i] = static_cast<std::int16_t>(load_le<std::uint16_t>(in + 2 * i));
            }
            break;
        case DTM_INT32:
            for (std::size_t i = 0; i < count; ++i) {
                out[i] = static_cast<std::int32_t>(load_le<std::uint32_t>(in + 4 * i));
            }
            break;
        case DTM_FLOAT32:
            for (std::size_t i = 0; i < count; ++i) {
                out[i] = std::bit_cast<float>(load_le<std::uint32_t>(in + 4 * i));
            }
            break;
        default:
            for (std::size_t i = 0; i < count; ++i) {
                out[i] = std::bit_cast<double>(load_le<std::uint64_t>(in + 8 * i));
            }
            break;
        }
        done += count;
        remaining_ -= count;
    }
    return done;
}

DtmReadStatus read_dtm_file(const std::string& path, DtmFile& file) {
    file.cells.clear();
    const platform::UniqueFile stream = platform::open_read_stream(path, "rb");
    if (!stream) {
        file.facts = DtmFileFacts{};
        return DtmReadStatus::cannot_open;
    }
    const DtmReadStatus status = read_dtm_header(stream.get(), file.header, file.facts);
    if (status != DtmReadStatus::ok) {
        return status;
    }
    file.cells.resize(static_cast<std::size_t>(file.facts.cell_count));
    DtmCellReader reader(stream.get(), file.header);
    if (reader.read(file.cells) != file.cells.size()) {
        file.cells.clear();
        return DtmReadStatus::cannot_read;
    }
    return DtmReadStatus::ok;
}
