// The one writer of DTM files. The header goes out first and at once, then
// the cells in file order (column by column, each from south to north)
// through one encoder: the value each cell type stores (truncation and
// 16-bit wrap, IEEE rounding to float32) in little-endian bytes. Row-major
// sources hand over their rows and the writer turns them into columns
// (grid_order).
// When the elevation range is known only at the end, the header is written
// again with it.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "dtmfile/conventions.hpp"
#include "dtmfile/dtm_header.hpp"
#include "dtmfile/endian.hpp"
#include "dtmfile/grid_order.hpp"

namespace dtm {

enum class [[nodiscard]] WriteStatus{
    ok,
    cannot_create, // the file cannot be opened for writing
    cannot_write,  // a write, a flush or the close failed
};

// x rounded to float32 as IEEE 754 rounds it: values beyond the float32
// range become the largest float or infinity instead of being undefined.
inline float to_float32(double x) {
    constexpr double largest = std::numeric_limits<float>::max();
    // Halfway between the largest float and 2^128: from here on, round to
    // nearest gives infinity.
    constexpr double overflow = 340282356779733661637539395458142568448.0;
    const double magnitude = std::fabs(x);
    if (magnitude <= largest || std::isnan(x)) [[likely]] {
        return static_cast<float>(x);
    }
    const float limit = magnitude < overflow ? std::numeric_limits<float>::max()
                                             : std::numeric_limits<float>::infinity();
    return x < 0 ? -limit : limit;
}

// The value a cell of the given type stores for x, as a float64: x
// truncated to 32 bits, of which int16 cells keep the low 16 bits; x
// rounded to float32; x itself for float64 and unknown types.
inline double cell_value(int data_type, double x) {
    switch (data_type) {
    case DTM_INT16:
        return static_cast<double>(static_cast<std::int16_t>(truncate_to_int32(x)));
    case DTM_INT32:
        return static_cast<double>(truncate_to_int32(x));
    case DTM_FLOAT32:
        return static_cast<double>(to_float32(x));
    default:
        return x;
    }
}

// Where a writer's bytes go: a file, or anything else that writes in order
// and can move to an absolute offset.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    [[nodiscard]] virtual bool write(const void* data, std::size_t size) = 0;
    [[nodiscard]] virtual bool seek(std::uint64_t offset) = 0;
    [[nodiscard]] virtual bool flush() = 0;
    // True when the destination could not even be opened.
    virtual bool open_failed() const { return false; }
};

// One output of a run, written once: commit() keeps it when every byte
// reached it; one that is not committed is discarded (a file removed).
class OutputSink : public ByteSink {
  public:
    [[nodiscard]] virtual bool commit() = 0;
};

class DtmWriter {
  public:
    explicit DtmWriter(const DtmHeader& header);
    DtmWriter(const DtmWriter&) = delete;
    DtmWriter& operator=(const DtmWriter&) = delete;

    // Writes the header into the sink and has it reach its destination at
    // once, then stands at the first cell (byte 200): cannot_create when the
    // sink could not be opened.
    WriteStatus start(ByteSink& sink);

    // Appends the next cell in file order and returns the value stored. A
    // cell type the writer does not know stores nothing.
    double put(double x) {
        const double stored = cell_value(data_type_, x);
        switch (data_type_) {
        case DTM_INT16:
            append(static_cast<std::int16_t>(stored));
            break;
        case DTM_INT32:
            append(static_cast<std::int32_t>(stored));
            break;
        case DTM_FLOAT32:
            append(static_cast<float>(stored));
            break;
        case DTM_FLOAT64:
            append(stored);
            break;
        default:
            break;
        }
        return stored;
    }

    // Appends `count` cells of x, as put() stores it.
    void put_repeated(double x, std::size_t count) {
        const std::size_t size = dtm_cell_size(data_type_);
        unsigned char cell[sizeof(double)];
        encode(cell_value(data_type_, x), cell);
        for (std::size_t i = 0; i < count && size > 0; ++i) {
            if (used_ + size > buffer_.size()) {
                flush_cells();
            }
            std::memcpy(buffer_.data() + used_, cell, size);
            used_ += size;
        }
    }

    // Appends cells that are already values of the file's cell type, `Cell`
    // being its C++ type (std::int16_t for int16 cells, and so on); cells of
    // another type fail the writer.
    template <typename Cell>
    void put_cells(std::span<const Cell> cells) {
        if (!holds<Cell>()) {
            failed_ = true;
            return;
        }
        while (!cells.empty()) {
            std::size_t room = (buffer_.size() - used_) / sizeof(Cell);
            if (room == 0) {
                flush_cells();
                room = buffer_.size() / sizeof(Cell);
            }
            const std::size_t count = std::min(room, cells.size());
            unsigned char* const out = buffer_.data() + used_;
            if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(out, cells.data(), count * sizeof(Cell));
            } else {
                for (std::size_t i = 0; i < count; ++i) {
                    store_le(out + i * sizeof(Cell), cells[i]);
                }
            }
            used_ += count * sizeof(Cell);
            cells = cells.subspan(count);
        }
    }

    // Writes a grid held row by row (row 0 the southern one) column by
    // column. row_cells(row, first_column, count, scratch) gives the cells
    // of `count` columns of one row as `Cell` values (the C++ type of the
    // file's cell type, else the writer fails): a pointer to them, or to
    // `scratch` after filling it. Bands of columns are gathered in a buffer
    // of a few megabytes (by place_rows) and written in one piece each.
    template <typename Cell, typename RowCells>
    WriteStatus put_rows_as_columns(std::size_t rows, std::size_t columns, RowCells&& row_cells);

    // True once a write has failed; the cells put after it go nowhere.
    bool failed() const { return failed_; }

    // Writes out the cells held and has them reach their destination.
    WriteStatus flush();

    // The range stored in the header when finish() writes it again.
    void set_elevation_range(double z_min, double z_max);

    // Writes out the cells still held and, when the range was set, the
    // header again; then flushes.
    WriteStatus finish();

    const DtmHeader& header() const { return header_; }

  private:
    // True when Cell is the C++ type of the file's cell type.
    template <typename Cell>
    bool holds() const {
        constexpr int code = std::is_same_v<Cell, std::int16_t>   ? DTM_INT16
                             : std::is_same_v<Cell, std::int32_t> ? DTM_INT32
                             : std::is_same_v<Cell, float>        ? DTM_FLOAT32
                             : std::is_same_v<Cell, double>       ? DTM_FLOAT64
                                                                  : -1;
        return code == data_type_;
    }

    // Cells straight into the sink, as little-endian bytes.
    template <typename Cell>
    bool write_cells(Cell* cells, std::size_t count) {
        if constexpr (std::endian::native != std::endian::little) {
            for (std::size_t i = 0; i < count; ++i) {
                store_le(reinterpret_cast<unsigned char*>(cells + i), Cell(cells[i]));
            }
        }
        failed_ = failed_ || !sink_->write(cells, count * sizeof(Cell));
        return !failed_;
    }

    static constexpr std::size_t CELL_BUFFER_BYTES = std::size_t{1} << 20;
    static constexpr std::size_t TRANSPOSE_CELLS = std::size_t{1} << 20;
    static constexpr std::size_t BAND_COLUMNS = 64;

    template <typename Value>
    void append(Value value) {
        store_le(buffer_.data() + used_, value);
        used_ += sizeof value;
        if (used_ + sizeof(double) > buffer_.size()) {
            flush_cells();
        }
    }
    bool flush_cells();

    // The little-endian bytes of a value of the file's cell type.
    void encode(double stored, unsigned char* out) const {
        switch (data_type_) {
        case DTM_INT16:
            store_le(out, static_cast<std::int16_t>(stored));
            break;
        case DTM_INT32:
            store_le(out, static_cast<std::int32_t>(stored));
            break;
        case DTM_FLOAT32:
            store_le(out, static_cast<float>(stored));
            break;
        case DTM_FLOAT64:
            store_le(out, stored);
            break;
        default:
            break;
        }
    }

    DtmHeader header_;
    int data_type_;
    ByteSink* sink_ = nullptr;
    std::vector<unsigned char> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
    bool range_set_ = false;
};

template <typename Cell, typename RowCells>
WriteStatus DtmWriter::put_rows_as_columns(std::size_t rows, std::size_t columns,
                                           RowCells&& row_cells) {
    if (!holds<Cell>() || !flush_cells()) {
        failed_ = true;
        return WriteStatus::cannot_write;
    }
    if (rows == 0 || columns == 0) {
        return WriteStatus::ok; // no rows: a billion empty columns are not walked
    }
    const std::size_t band = std::clamp<std::size_t>(TRANSPOSE_CELLS / rows, 1, BAND_COLUMNS);
    const std::size_t held = std::min(rows * columns, TRANSPOSE_CELLS);
    // Every cell of the buffer is written before it is read.
    const auto buffer = std::make_unique_for_overwrite<Cell[]>(held);
    Cell* const cells = buffer.get();
    Cell scratch[BAND_COLUMNS];
    if (band == 1) {
        // Columns longer than the buffer: each in pieces of whole rows.
        for (std::size_t c = 0; c < columns; ++c) {
            for (std::size_t r0 = 0; r0 < rows; r0 += held) {
                const std::size_t count = std::min(held, rows - r0);
                for (std::size_t i = 0; i < count; ++i) {
                    cells[i] = *row_cells(r0 + i, c, std::size_t{1}, scratch);
                }
                if (!write_cells(cells, count)) {
                    return WriteStatus::cannot_write;
                }
            }
        }
        return WriteStatus::ok;
    }
    for (std::size_t c0 = 0; c0 < columns; c0 += band) {
        const std::size_t width = std::min(band, columns - c0);
        // Each row's part of the band in one go, placed into the band's
        // columns.
        for (std::size_t r = 0; r < rows; ++r) {
            place_rows(cells, rows, width, row_cells(r, c0, width, scratch), 1, width, width, r, 0);
        }
        if (!write_cells(cells, width * rows)) {
            return WriteStatus::cannot_write;
        }
    }
    return WriteStatus::ok;
}

} // namespace dtm
