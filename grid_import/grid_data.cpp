#include "grid_import/grid_data.hpp"

#include <limits>
#include <memory>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "dtmfile/conventions.hpp"
#include "dtmfile/dtm_writer.hpp"

namespace briskel {

namespace {

const float VOID_CELL = static_cast<float>(dtm::convention_of(dtm::Writer::briskel).void_value);

#if defined(__SSE2__)
// Two nodes: the same comparison, product and IEEE rounding to float32 as
// NodeToCell's operator(), the cells in the low half.
__m128 two_cells(__m128d node, __m128d blank, __m128d factor, __m128 void_cell) {
    const __m128 is_blank_wide = _mm_castpd_ps(_mm_cmpge_pd(node, blank));
    const __m128 is_blank = _mm_shuffle_ps(is_blank_wide, is_blank_wide, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 cell = _mm_cvtpd_ps(_mm_mul_pd(node, factor));
    return _mm_or_ps(_mm_and_ps(is_blank, void_cell), _mm_andnot_ps(is_blank, cell));
}
#endif

} // namespace

float NodeToCell::operator()(double node) const {
    return node >= blank_value ? VOID_CELL : dtm::to_float32(node * z_factor);
}

namespace {

#if defined(__SSE2__)
__m128d load_two(const double* nodes) {
    return _mm_loadu_pd(nodes);
}

// Two float32 nodes, widened exactly to float64.
__m128d load_two(const float* nodes) {
    return _mm_cvtps_pd(_mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(nodes))));
}
#endif

template <typename Node>
void convert_nodes(const NodeToCell& to_cell, const Node* nodes, std::size_t count, float* cells) {
    std::size_t k = 0;
#if defined(__SSE2__)
    const __m128d blank = _mm_set1_pd(to_cell.blank_value);
    const __m128d factor = _mm_set1_pd(to_cell.z_factor);
    const __m128 void_cell = _mm_set1_ps(VOID_CELL);
    for (; k + 2 <= count; k += 2) {
        _mm_storel_pi(reinterpret_cast<__m64*>(cells + k),
                      two_cells(load_two(nodes + k), blank, factor, void_cell));
    }
#endif
    for (; k < count; ++k) {
        cells[k] = to_cell(static_cast<double>(nodes[k]));
    }
}

} // namespace

void NodeToCell::convert(const double* nodes, std::size_t count, float* cells) const {
    convert_nodes(*this, nodes, count, cells);
}

void NodeToCell::convert(const float* nodes, std::size_t count, float* cells) const {
    convert_nodes(*this, nodes, count, cells);
}

bool GridCells::allocate(std::size_t count) {
    memory_ = platform::LargeMemory(count * sizeof(float));
    if (!memory_) {
        return false;
    }
    // The cells begin their life here; nothing is written.
    std::uninitialized_default_construct_n(get(), count);
    return true;
}

bool allocate_grid(const GrdInfo& info, GrdGrid& grid) {
    free_grid(grid);
    if (info.rows < 0 || info.columns < 0) {
        return false;
    }
    const auto count =
        static_cast<std::uint64_t>(info.rows) * static_cast<std::uint64_t>(info.columns);
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(float)) {
        return false;
    }
    if (!grid.cells.allocate(static_cast<std::size_t>(count))) {
        return false;
    }
    grid.rows = info.rows;
    grid.columns = info.columns;
    grid.order = CellOrder::rows;
    return true;
}

void free_grid(GrdGrid& grid) {
    grid.cells.reset();
    grid.rows = 0;
    grid.columns = 0;
}

} // namespace briskel
