// Sums over the cells of a DTM file, taken a block of cells at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "dtmfile/conventions.hpp"

namespace dtminfo {

struct CellStatistics {
    std::uint64_t valid = 0;      // finite and not the void value
    std::uint64_t voids = 0;      // equal to the void value
    std::uint64_t not_finite = 0; // NaN or infinite
    double minimum = 0.0;         // of the valid cells
    double maximum = 0.0;
    double mean = 0.0;
    // Range of the valid cells TAVERLIN's recorded range covers (above 0).
    std::uint64_t positive = 0;
    double positive_minimum = 0.0;
    double positive_maximum = 0.0;
};

class CellStatisticsBuilder {
  public:
    explicit CellStatisticsBuilder(std::optional<double> void_value) : void_value_(void_value) {}

    void add(std::span<const double> cells);
    CellStatistics result() const;

  private:
    std::optional<double> void_value_;
    // Where the range TAVERLIN records begins.
    double recorded_above_ = *dtm::convention_of(dtm::Writer::taverlin).range_above;
    CellStatistics sums_;
    // Neumaier's compensated sum keeps the mean exact to the last digits
    // over hundreds of millions of cells; the long double range keeps a sum
    // of the largest float64 values finite.
    long double sum_ = 0.0L;
    long double compensation_ = 0.0L;
};

} // namespace dtminfo
