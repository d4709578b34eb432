#include "dtmfile/conventions.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "dtmfile/dtm_header.hpp"

namespace dtm {

namespace {

constexpr WriterConvention TAVERLIN{Writer::taverlin,
                                    "TAVERLIN",
                                    2.0f,
                                    DTM_INT16,
                                    -1.0,
                                    true,
                                    0.0,
                                    std::numeric_limits<double>::max(),
                                    std::numeric_limits<double>::min()};
constexpr WriterConvention BRISKEL{Writer::briskel, "BRISKEL",    3.0f,     DTM_FLOAT32, -32767.0,
                                   false,           std::nullopt, -32767.0, -32767.0};

} // namespace

const WriterConvention& convention_of(Writer writer) {
    return writer == Writer::taverlin ? TAVERLIN : BRISKEL;
}

const WriterConvention* convention_for_version(float version) {
    for (const WriterConvention* convention : {&TAVERLIN, &BRISKEL}) {
        if (convention->version == version) {
            return convention;
        }
    }
    return nullptr;
}

std::optional<double> void_value_for_version(float version) {
    const WriterConvention* convention = convention_for_version(version);
    return convention != nullptr ? std::optional<double>(convention->void_value) : std::nullopt;
}

bool holds_arc_seconds(const DtmHeader& header) {
    const WriterConvention* convention = convention_for_version(header.version);
    return header.coord_system == 0 && convention != nullptr &&
           convention->system_zero_is_geographic;
}

RecordedRange::RecordedRange(float version, std::optional<double> void_value)
    : convention_(convention_for_version(version)), void_value_(void_value) {}

void RecordedRange::add(std::span<const std::int16_t> cells) {
    if (convention_ == nullptr || !convention_->range_above || cells.empty()) {
        for (const std::int16_t cell : cells) {
            add(static_cast<double>(cell));
        }
        return;
    }
    // The cells counted are those above the largest int16 not above the
    // threshold. A cell not counted leaves the minimum as it is; the
    // maximum of all cells is counted only when it is itself above.
    const double above = std::floor(*convention_->range_above);
    const auto threshold = static_cast<std::int16_t>(
        std::clamp(above, static_cast<double>(INT16_MIN), static_cast<double>(INT16_MAX)));
    std::int16_t low = std::numeric_limits<std::int16_t>::max();
    std::int16_t high = std::numeric_limits<std::int16_t>::min();
    for (const std::int16_t cell : cells) {
        const std::int16_t counted = cell > threshold ? cell : low;
        low = std::min(low, counted);
        high = std::max(high, cell);
    }
    if (high > threshold) {
        add(static_cast<double>(low));
        add(static_cast<double>(high));
    }
}

} // namespace dtm
