#include "dtmfile_io/dtm_file_reader.hpp"

#include <algorithm>
#include <array>

#include "platform/platform.hpp"

namespace dtm {

DtmReadStatus read_dtm_header(std::FILE* stream, DtmHeader& header, DtmFileFacts& facts) {
    facts = DtmFileFacts{};
    const auto size = platform::file_size(stream);
    if (!size || !platform::seek(stream, 0)) {
        return DtmReadStatus::cannot_read;
    }
    std::array<std::uint8_t, DTM_DATA_OFFSET> bytes{};
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), stream);
    if (std::ferror(stream)) {
        return DtmReadStatus::cannot_read;
    }
    return check_dtm_header(std::span<const std::uint8_t>(bytes.data(), got), *size, header, facts);
}

DtmReadStatus read_dtm_header(const std::string& path, DtmHeader& header, DtmFileFacts& facts) {
    const platform::UniqueFile stream = platform::open_read_stream(path, "rb");
    if (!stream) {
        facts = DtmFileFacts{};
        return DtmReadStatus::cannot_open;
    }
    return read_dtm_header(stream.get(), header, facts);
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
        if (remaining_ > 0 && !platform::seek(stream_, DTM_DATA_OFFSET)) {
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
        decode_cells(data_type_, bytes_.data(), count, cells.data() + done);
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

} // namespace dtm
