#include "cell_statistics.hpp"

#include <cmath>

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
        if (sums_.valid == 0) {
            sums_.minimum = sums_.maximum = cell;
        } else if (cell < sums_.minimum) {
            sums_.minimum = cell;
        } else if (cell > sums_.maximum) {
            sums_.maximum = cell;
        }
        ++sums_.valid;
        if (cell > 0.0) {
            if (sums_.positive == 0) {
                sums_.positive_minimum = sums_.positive_maximum = cell;
            } else if (cell < sums_.positive_minimum) {
                sums_.positive_minimum = cell;
            } else if (cell > sums_.positive_maximum) {
                sums_.positive_maximum = cell;
            }
            ++sums_.positive;
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
