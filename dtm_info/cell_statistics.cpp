#include "dtm_info/cell_statistics.hpp"

#include <cmath>

namespace dtminfo {

namespace {

// Counts the cell into a range that holds `count` cells so far.
void widen(std::uint64_t& count, double& minimum, double& maximum, double cell) {
    if (count++ == 0) {
        minimum = maximum = cell;
    } else if (cell < minimum) {
        minimum = cell;
    } else if (cell > maximum) {
        maximum = cell;
    }
}

} // namespace

void CellStatisticsBuilder::add(std::span<const double> cells) {
    for (const double cell : cells) {
        if (!std::isfinite(cell)) {
            ++sums_.not_finite;
            continue;
        }
        if (void_value_ && cell == *void_value_) {
            ++sums_.voids;
            continue;
        }
        widen(sums_.valid, sums_.minimum, sums_.maximum, cell);
        if (cell > recorded_above_) {
            widen(sums_.positive, sums_.positive_minimum, sums_.positive_maximum, cell);
        }
        const long double value = cell;
        const long double total = sum_ + value;
        compensation_ +=
            std::fabs(sum_) >= std::fabs(value) ? (sum_ - total) + value : (value - total) + sum_;
        sum_ = total;
    }
}

CellStatistics CellStatisticsBuilder::result() const {
    CellStatistics result = sums_;
    if (result.valid > 0) {
        result.mean =
            static_cast<double>((sum_ + compensation_) / static_cast<long double>(result.valid));
    }
    return result;
}

} // namespace dtminfo
