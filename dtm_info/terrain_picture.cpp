#include "dtm_info/terrain_picture.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "dtm_info/info_settings.hpp"
#include "dtmfile/units.hpp"

namespace dtminfo {

PictureScale picture_scale(std::int32_t columns, std::int32_t rows, int side) {
    PictureScale scale;
    const std::int64_t longest = std::max<std::int64_t>({columns, rows, 1});
    const std::int64_t limit =
        side > 0 ? side : std::min<std::int64_t>(longest, PICTURE_DEFAULT_LIMIT);
    if (longest <= limit) {
        scale.pixels_per_cell = static_cast<int>(limit / longest);
    } else {
        scale.cells_per_pixel = static_cast<int>((longest + limit - 1) / limit);
    }
    const auto size = [&scale](std::int32_t cells) {
        const std::int64_t blocks =
            (std::max<std::int64_t>(cells, 0) + scale.cells_per_pixel - 1) / scale.cells_per_pixel;
        return static_cast<int>(blocks * scale.pixels_per_cell);
    };
    scale.width = size(columns);
    scale.height = size(rows);
    return scale;
}

PictureBuilder::PictureBuilder(const dtm::DtmHeader& header, std::optional<double> void_value,
                               const PictureScale& scale, PlanimetricUnits units)
    : header_(header), void_value_(void_value), scale_(scale), units_(units) {
    const std::int64_t n = scale.cells_per_pixel;
    block_columns_ = (std::max<std::int64_t>(header.column_count, 0) + n - 1) / n;
    block_rows_ = (std::max<std::int64_t>(header.row_count, 0) + n - 1) / n;
    blocks_.assign(static_cast<std::size_t>(block_columns_ * block_rows_),
                   std::numeric_limits<float>::quiet_NaN());
    band_sums_.assign(static_cast<std::size_t>(block_rows_), 0.0);
    band_counts_.assign(static_cast<std::size_t>(block_rows_), 0);
}

void PictureBuilder::add(std::span<const double> cells) {
    const std::int64_t rows = header_.row_count;
    const std::int64_t n = scale_.cells_per_pixel;
    for (const double cell : cells) {
        if (column_ >= header_.column_count) {
            return;
        }
        if (std::isfinite(cell) && !(void_value_ && cell == *void_value_)) {
            const auto block = static_cast<std::size_t>(row_ / n);
            band_sums_[block] += cell;
            ++band_counts_[block];
        }
        if (++row_ == rows) {
            row_ = 0;
            ++column_;
            if (column_ % n == 0 || column_ == header_.column_count) {
                finish_band();
            }
        }
    }
}

void PictureBuilder::finish_band() {
    const std::int64_t band = (column_ - 1) / scale_.cells_per_pixel;
    for (std::int64_t r = 0; r < block_rows_; ++r) {
        const auto i = static_cast<std::size_t>(r);
        if (band_counts_[i] > 0) {
            // Held as float32, the largest magnitudes kept at its limits.
            constexpr double LIMIT = std::numeric_limits<float>::max();
            const double mean = band_sums_[i] / band_counts_[i];
            blocks_[static_cast<std::size_t>(r * block_columns_ + band)] =
                static_cast<float>(std::isnan(mean) ? 0.0 : std::clamp(mean, -LIMIT, LIMIT));
        }
        band_sums_[i] = 0.0;
        band_counts_[i] = 0;
    }
}

float PictureBuilder::elevation(std::int64_t column, std::int64_t row) const {
    return blocks_[static_cast<std::size_t>(row * block_columns_ + column)];
}

namespace {

struct Colour {
    float r, g, b;
};

struct Stop {
    float at;
    Colour colour;
};

// Land from lowland green through tan and brown to snow; water from the
// shallows' pale blue to deep navy.
constexpr std::array<Stop, 6> LAND = {{{0.00f, {52, 110, 60}},
                                       {0.20f, {112, 158, 82}},
                                       {0.45f, {214, 200, 128}},
                                       {0.70f, {168, 120, 72}},
                                       {0.88f, {140, 120, 110}},
                                       {1.00f, {250, 250, 250}}}};
constexpr std::array<Stop, 3> WATER = {
    {{0.00f, {170, 214, 236}}, {0.50f, {66, 140, 200}}, {1.00f, {12, 44, 110}}}};

template <std::size_t N>
Colour ramp(const std::array<Stop, N>& stops, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    for (std::size_t i = 1; i < N; ++i) {
        if (t <= stops[i].at) {
            const Stop& a = stops[i - 1];
            const Stop& b = stops[i];
            const float f = (t - a.at) / (b.at - a.at);
            return {a.colour.r + f * (b.colour.r - a.colour.r),
                    a.colour.g + f * (b.colour.g - a.colour.g),
                    a.colour.b + f * (b.colour.b - a.colour.b)};
        }
    }
    return stops[N - 1].colour;
}

// A spacing usable for slopes: its size, or 1 when it is zero or not finite.
double usable_spacing(double spacing, int cells_per_pixel) {
    const double size = std::fabs(spacing) * cells_per_pixel;
    return std::isfinite(size) && size > 0.0 ? size : 1.0;
}

} // namespace

Picture PictureBuilder::render(const ProgressReport& progress) const {
    Picture picture;
    picture.width = scale_.width;
    picture.height = scale_.height;
    picture.rgba.assign(static_cast<std::size_t>(picture.width) * picture.height * 4, 0);

    float low = std::numeric_limits<float>::infinity();
    float high = -std::numeric_limits<float>::infinity();
    for (const float z : blocks_) {
        if (!std::isnan(z)) {
            low = std::min(low, z);
            high = std::max(high, z);
        }
    }
    if (low > high) {
        return picture; // no valid cell: all transparent
    }
    // Water below 0 only when the grid has land as well; otherwise one ramp
    // spans the whole range.
    const bool sea = low < 0.0f && high >= 0.0f;
    const float land_low = sea ? 0.0f : low;
    const float land_span = high - land_low;

    // Elevations in the planimetric unit, so that slopes are true.
    const auto xy_unit = dtm::unit_from_dtm_code(header_.xy_units);
    const auto z_unit = dtm::unit_from_dtm_code(header_.z_units);
    double z_to_xy = xy_unit && z_unit ? dtm::unit_factor(*z_unit, *xy_unit) : 1.0;
    double dx = usable_spacing(header_.x_spacing, scale_.cells_per_pixel);
    double dy = usable_spacing(header_.y_spacing, scale_.cells_per_pixel);
    if (units_ != PlanimetricUnits::header) {
        // Meters of latitude in one unit of Y, and of longitude that times
        // the cosine of the latitude. Arc-seconds keep the latitude they were
        // always shaded at (half a cell north of the middle); degrees take
        // the middle row's.
        const bool degrees = units_ == PlanimetricUnits::degrees;
        const double meters_per_unit = degrees ? 111320.0 : 30.87;
        const double latitude =
            degrees ? header_.y_origin + 0.5 * (header_.row_count - 1) * header_.y_spacing
                    : (header_.y_origin + 0.5 * header_.row_count * header_.y_spacing) / 3600.0;
        const double shrink = std::cos(latitude * 3.141592653589793 / 180.0);
        dx *= meters_per_unit * (std::isfinite(shrink) ? std::max(shrink, 0.01) : 1.0);
        dy *= meters_per_unit;
        z_to_xy = z_unit ? dtm::unit_factor(*z_unit, dtm::Unit::meters) : 1.0;
    }
    // Wide cells flatten the relief; slopes are steepened by up to 10 times
    // for them (none at 30 units or less), so that hills still show.
    const double exaggeration = std::clamp(std::sqrt(std::min(dx, dy) / 30.0), 1.0, 10.0);
    // Light from the north-west (azimuth 315 degrees), 45 degrees high.
    constexpr double ALTITUDE = 0.7853981633974483;
    const double light_x = -std::cos(ALTITUDE) * std::sqrt(0.5);
    const double light_y = std::cos(ALTITUDE) * std::sqrt(0.5);
    const double light_z = std::sin(ALTITUDE);

    const auto at = [this](std::int64_t c, std::int64_t r, float centre) {
        if (c < 0 || r < 0 || c >= block_columns_ || r >= block_rows_) {
            return static_cast<double>(centre);
        }
        const float z = elevation(c, r);
        return static_cast<double>(std::isnan(z) ? centre : z);
    };
    const int n = scale_.pixels_per_cell;
    // Row by row, so that the picture is written in order.
    for (std::int64_t r = 0; r < block_rows_; ++r) {
        if (progress) {
            progress(static_cast<std::uint64_t>(r), static_cast<std::uint64_t>(block_rows_));
        }
        for (std::int64_t c = 0; c < block_columns_; ++c) {
            const float z = elevation(c, r);
            if (std::isnan(z)) {
                continue;
            }
            // Horn's weights over the eight neighbours; y grows northwards.
            const double east = at(c + 1, r + 1, z) + 2 * at(c + 1, r, z) + at(c + 1, r - 1, z);
            const double west = at(c - 1, r + 1, z) + 2 * at(c - 1, r, z) + at(c - 1, r - 1, z);
            const double north = at(c - 1, r + 1, z) + 2 * at(c, r + 1, z) + at(c + 1, r + 1, z);
            const double south = at(c - 1, r - 1, z) + 2 * at(c, r - 1, z) + at(c + 1, r - 1, z);
            const double slope_x = (east - west) * z_to_xy * exaggeration / (8 * dx);
            const double slope_y = (north - south) * z_to_xy * exaggeration / (8 * dy);
            double light = (-slope_x * light_x - slope_y * light_y + light_z) /
                           std::sqrt(slope_x * slope_x + slope_y * slope_y + 1.0);
            if (!std::isfinite(light)) {
                light = light_z;
            }
            // Flat ground keeps the ramp's colour; slopes facing the light
            // brighten a little, those turned away darken.
            const double shade = std::clamp(0.15 + 0.85 * light / light_z, 0.15, 1.3);
            const Colour colour =
                sea && z < 0.0f ? ramp(WATER, z / low)
                                : ramp(LAND, land_span > 0.0f ? (z - land_low) / land_span : 0.5f);
            const std::array<std::uint8_t, 4> pixel = {
                static_cast<std::uint8_t>(std::clamp(colour.r * shade, 0.0, 255.0)),
                static_cast<std::uint8_t>(std::clamp(colour.g * shade, 0.0, 255.0)),
                static_cast<std::uint8_t>(std::clamp(colour.b * shade, 0.0, 255.0)), 255};
            // Row 0 of the grid is the south edge, the picture's last row.
            const std::int64_t top = (block_rows_ - 1 - r) * n;
            for (int y = 0; y < n; ++y) {
                std::uint8_t* out = picture.rgba.data() + ((top + y) * picture.width + c * n) * 4;
                for (int x = 0; x < n; ++x) {
                    std::copy(pixel.begin(), pixel.end(), out + 4 * x);
                }
            }
        }
    }
    return picture;
}

} // namespace dtminfo
