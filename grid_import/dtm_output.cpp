#include "grid_import/dtm_output.hpp"

#include <algorithm>
#include <bit>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstdint>

#include "cli/platform.hpp"
#include "dtmfile/conventions.hpp"
#include "dtmfile/units.hpp"

namespace briskel {

int estimated_cell_bytes(int data_type) {
    switch (data_type) {
    case dtm::DTM_INT16:
        return 2;
    case dtm::DTM_INT32:
        return 4;
    case dtm::DTM_FLOAT32:
        return 6;
    case dtm::DTM_FLOAT64:
        return 8;
    default:
        return 1;
    }
}

void set_unit_factors(GrdRunSettings& settings) {
    settings.xy_factor = dtm::unit_factor(settings.src_xy_units, settings.dst_xy_units);
    settings.z_factor = dtm::unit_factor(settings.src_z_units, settings.dst_z_units);
}

dtm::DtmHeader fill_dtm_header(const GrdInfo& info, const GrdRunSettings& settings) {
    const dtm::WriterConvention& convention = dtm::convention_of(dtm::Writer::briskel);
    dtm::DtmHeader header;
    dtm::set_dtm_signature(header);
    dtm::set_dtm_description(header, settings.source_path);
    header.version = convention.version;
    header.x_origin = info.x_min * settings.xy_factor;
    header.y_origin = info.y_min * settings.xy_factor;
    header.z_min = info.z_min * settings.z_factor;
    header.z_max = info.z_max * settings.z_factor;
    header.rotation = info.rotation;
    header.x_spacing = info.x_spacing * settings.xy_factor;
    header.y_spacing = info.y_spacing * settings.xy_factor;
    header.column_count = info.columns;
    header.row_count = info.rows;
    header.xy_units = dtm::dtm_unit_code(settings.dst_xy_units);
    header.z_units = dtm::dtm_unit_code(settings.dst_z_units);
    header.data_type = convention.data_type;
    header.coord_system = static_cast<std::int16_t>(settings.coord_system);
    header.coord_zone = static_cast<std::int16_t>(settings.coord_zone);
    return header;
}

bool has_disk_space(const dtm::DtmHeader& header, const std::string& dest_path) {
    const auto free = platform::free_disk_space(platform::split_path(dest_path).directory);
    if (!free) {
        return true;
    }
    const auto cells = static_cast<std::int64_t>(header.row_count) *
                       static_cast<std::int64_t>(header.column_count);
    const double needed = static_cast<double>(cells) * estimated_cell_bytes(header.data_type) +
                          static_cast<double>(dtm::DTM_DATA_OFFSET);
    return needed <= static_cast<double>(*free);
}

namespace {

const float VOID_CELL = static_cast<float>(dtm::convention_of(dtm::Writer::briskel).void_value);

float cell_of(double node, double blank_value, double z_factor) {
    return node >= blank_value ? VOID_CELL : dtm::to_float32(node * z_factor);
}

} // namespace

void row_cells(const double* nodes, std::size_t count, double blank_value, double z_factor,
               float* cells) {
    std::size_t k = 0;
#if defined(__SSE2__)
    // Two at a time: the same comparison, product and IEEE rounding to
    // float32 as cell_of.
    const __m128d blank = _mm_set1_pd(blank_value);
    const __m128d factor = _mm_set1_pd(z_factor);
    const __m128 void_cell = _mm_set1_ps(VOID_CELL);
    for (; k + 2 <= count; k += 2) {
        const __m128d node = _mm_loadu_pd(nodes + k);
        const __m128 is_blank_wide = _mm_castpd_ps(_mm_cmpge_pd(node, blank));
        const __m128 is_blank =
            _mm_shuffle_ps(is_blank_wide, is_blank_wide, _MM_SHUFFLE(2, 0, 2, 0));
        const __m128 cell = _mm_cvtpd_ps(_mm_mul_pd(node, factor));
        const __m128 chosen =
            _mm_or_ps(_mm_and_ps(is_blank, void_cell), _mm_andnot_ps(is_blank, cell));
        _mm_storel_pi(reinterpret_cast<__m64*>(cells + k), chosen);
    }
#endif
    for (; k < count; ++k) {
        cells[k] = cell_of(nodes[k], blank_value, z_factor);
    }
}

dtm::WriteStatus write_dtm_cells(const GrdGrid& grid, const GrdInfo& info, double z_factor,
                                 dtm::DtmWriter& writer) {
    const auto columns = static_cast<std::size_t>(grid.columns);
    const double* const nodes = grid.nodes.get();
    const double blank = info.blank_value;
    return writer.put_rows_as_columns<float>(
        static_cast<std::size_t>(grid.rows), columns,
        [&](std::size_t row, std::size_t first_column, std::size_t count, float* cells) {
            row_cells(nodes + row * columns + first_column, count, blank, z_factor, cells);
        });
}

} // namespace briskel
