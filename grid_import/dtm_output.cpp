#include "grid_import/dtm_output.hpp"

#include <algorithm>
#include <bit>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstdint>
#include <vector>

#include "cli/platform.hpp"
#include "dtmfile/cell_writer.hpp"
#include "dtmfile/units.hpp"

int estimated_cell_bytes(int data_type) {
    switch (data_type) {
    case DTM_INT16:
        return 2;
    case DTM_INT32:
        return 4;
    case DTM_FLOAT32:
        return 6;
    case DTM_FLOAT64:
        return 8;
    default:
        return 1;
    }
}

void set_unit_factors(GrdRunSettings& settings) {
    settings.xy_factor = unit_factor(settings.src_xy_units, settings.dst_xy_units);
    settings.z_factor = unit_factor(settings.src_z_units, settings.dst_z_units);
}

void fill_dtm_header(const GrdInfo& info, const GrdRunSettings& settings, DtmHeader& header) {
    set_dtm_signature(header);
    set_dtm_description(header, settings.source_path);
    header.version = 3.0f;
    header.x_origin = info.x_min * settings.xy_factor;
    header.y_origin = info.y_min * settings.xy_factor;
    header.z_min = info.z_min * settings.z_factor;
    header.z_max = info.z_max * settings.z_factor;
    header.rotation = info.rotation;
    header.x_spacing = info.x_spacing * settings.xy_factor;
    header.y_spacing = info.y_spacing * settings.xy_factor;
    header.column_count = info.columns;
    header.row_count = info.rows;
    header.xy_units = static_cast<std::int16_t>(settings.dst_xy_units);
    header.z_units = static_cast<std::int16_t>(settings.dst_z_units);
    header.data_type = DTM_FLOAT32;
    header.coord_system = static_cast<std::int16_t>(settings.coord_system);
    header.coord_zone = static_cast<std::int16_t>(settings.coord_zone);
}

int check_disk_space(const DtmHeader& header, const std::string& dest_path) {
    const auto free = platform::free_disk_space(platform::split_path(dest_path).directory);
    if (!free) {
        return 1;
    }
    const auto cells = static_cast<std::int64_t>(header.row_count) *
                       static_cast<std::int64_t>(header.column_count);
    const double needed = static_cast<double>(cells) * estimated_cell_bytes(header.data_type) +
                          static_cast<double>(DTM_DATA_OFFSET);
    return needed <= static_cast<double>(*free) ? 1 : 0;
}

namespace {

// Cells go out a band of columns at a time: the band is turned from the
// grid's rows into columns in tiles small enough for the cache, into one
// buffer of about 4 MB, which is then written in one piece.
constexpr std::size_t BUFFER_CELLS = std::size_t{1} << 20;
constexpr std::size_t BAND_COLUMNS = 64;
constexpr std::size_t TILE_ROWS = 64;

std::uint32_t cell_bits(double node, double blank_value, double z_factor) {
    const float cell = node >= blank_value ? DTM_BLANK_CELL : to_float32(node * z_factor);
    const auto bits = std::bit_cast<std::uint32_t>(cell);
    if constexpr (std::endian::native == std::endian::big) {
        return (bits >> 24) | ((bits >> 8) & 0xFF00u) | ((bits << 8) & 0xFF0000u) | (bits << 24);
    }
    return bits;
}

// Cells of `count` nodes of one row, in order. With SSE2 two at a time: the
// same comparison, product and IEEE rounding to float32 as cell_bits.
void row_cell_bits(const double* nodes, std::size_t count, double blank_value, double z_factor,
                   std::uint32_t* cells) {
    std::size_t k = 0;
#if defined(__SSE2__)
    if constexpr (std::endian::native == std::endian::little) {
        const __m128d blank = _mm_set1_pd(blank_value);
        const __m128d factor = _mm_set1_pd(z_factor);
        const __m128 blank_cell = _mm_set1_ps(DTM_BLANK_CELL);
        for (; k + 2 <= count; k += 2) {
            const __m128d node = _mm_loadu_pd(nodes + k);
            const __m128 is_blank_wide = _mm_castpd_ps(_mm_cmpge_pd(node, blank));
            const __m128 is_blank =
                _mm_shuffle_ps(is_blank_wide, is_blank_wide, _MM_SHUFFLE(2, 0, 2, 0));
            const __m128 cell = _mm_cvtpd_ps(_mm_mul_pd(node, factor));
            const __m128 chosen =
                _mm_or_ps(_mm_and_ps(is_blank, blank_cell), _mm_andnot_ps(is_blank, cell));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(cells + k), _mm_castps_si128(chosen));
        }
    }
#endif
    for (; k < count; ++k) {
        cells[k] = cell_bits(nodes[k], blank_value, z_factor);
    }
}

bool write_cells(const std::vector<std::uint32_t>& cells, std::size_t count, std::FILE* stream) {
    return std::fwrite(cells.data(), sizeof(std::uint32_t), count, stream) == count;
}

} // namespace

bool write_dtm_cells(const GrdGrid& grid, const GrdInfo& info, double z_factor, std::FILE* stream) {
    const auto rows = static_cast<std::size_t>(grid.rows);
    const auto columns = static_cast<std::size_t>(grid.columns);
    if (grid.size() == 0) {
        return true; // no rows: a billion empty columns are not walked
    }
    const double blank = info.blank_value;
    const double* const nodes = grid.nodes.get();
    const std::size_t band = std::clamp<std::size_t>(BUFFER_CELLS / rows, 1, BAND_COLUMNS);
    std::vector<std::uint32_t> cells(std::min(grid.size(), BUFFER_CELLS));

    if (band == 1) {
        // Columns longer than the buffer: each in pieces of whole rows.
        for (std::size_t c = 0; c < columns; ++c) {
            for (std::size_t r0 = 0; r0 < rows; r0 += cells.size()) {
                const std::size_t count = std::min(cells.size(), rows - r0);
                for (std::size_t i = 0; i < count; ++i) {
                    cells[i] = cell_bits(nodes[(r0 + i) * columns + c], blank, z_factor);
                }
                if (!write_cells(cells, count, stream)) {
                    return false;
                }
            }
        }
        return true;
    }
    for (std::size_t c0 = 0; c0 < columns; c0 += band) {
        const std::size_t width = std::min(band, columns - c0);
        for (std::size_t r0 = 0; r0 < rows; r0 += TILE_ROWS) {
            const std::size_t r1 = std::min(rows, r0 + TILE_ROWS);
            // Each row of the tile is converted in one go, then its cells
            // are spread over the band's columns.
            for (std::size_t r = r0; r < r1; ++r) {
                std::uint32_t converted[BAND_COLUMNS];
                row_cell_bits(nodes + r * columns + c0, width, blank, z_factor, converted);
                for (std::size_t k = 0; k < width; ++k) {
                    cells[k * rows + r] = converted[k];
                }
            }
        }
        if (!write_cells(cells, width * rows, stream)) {
            return false;
        }
    }
    return true;
}
