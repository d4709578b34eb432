// Writes the benchmark inputs into a folder: one synthetic terrain as a USGS
// ASCII DEM and in the three Surfer grid layouts, large enough that reading
// and writing dominate every converter's run time.
//
//   bench_make_inputs FOLDER
//
// dem_3601.dem        USGS ASCII DEM, 3601 profiles of 3601 elevations, 1024-byte
//                     records without line ends, UTM zone 10, meters, 1 m spacing
// grid_6000_dsrb.grd  Surfer 7 binary, 6000 x 6000 float64 nodes
// grid_6000_dsbb.grd  Surfer 6 binary, 6000 x 6000 float32 nodes
// grid_3000_dsaa.grd  Surfer 6 ASCII, 3000 x 3000 nodes, 10 significant digits
// grid_3000_gdal_dsaa.grd
//                     the same nodes as GDAL writes them: 14 significant digits,
//                     a blank after every node, CR LF line ends
//
// The terrain is a sum of a few sine waves over the unit square, shaped so
// that lowlands are broad and peaks steep (about -50 to 3000 m), with a little
// noise from a hash of the node's position and a few elliptical holes without
// data. Every run writes the same bytes. Each file is written under a
// temporary name and renamed when complete, so a folder never holds half a file
// under a final name.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "dtmfile/endian.hpp"

// The rows of nodes go out as they lie in memory.
static_assert(std::endian::native == std::endian::little, "the grids are written little-endian");

namespace {

namespace fs = std::filesystem;

constexpr int DEM_SIZE = 3601;
constexpr int BINARY_GRID_SIZE = 6000;
constexpr int ASCII_GRID_SIZE = 3000;

constexpr double X_ORIGIN = 500000.0; // UTM zone 10, meters
constexpr double Y_ORIGIN = 5200000.0;
constexpr double SPACING = 1.0;

constexpr double LOWEST = -50.0;
constexpr double HIGHEST = 3000.0;
constexpr double NOISE = 2.5; // meters either way

constexpr std::int32_t DEM_VOID = -32767;
constexpr double SURFER6_BLANK = 1.701410009187828e+38; // the float32 7EFFFFEE
constexpr std::uint32_t SURFER6_BLANK_BITS = 0x7EFFFFEEu;
constexpr const char* SURFER6_BLANK_TEXT = "1.70141e+38";

// amplitude * sin(2 pi (u_frequency u) + u_phase) * sin(2 pi (v_frequency v) + v_phase)
struct Wave {
    double amplitude;
    double u_frequency;
    double u_phase;
    double v_frequency;
    double v_phase;
};

constexpr std::array<Wave, 5> WAVES{{
    {0.42, 1.1, 0.3, 0.9, 1.1},
    {0.24, 2.7, 2.0, 3.1, 2.0},
    {0.14, 6.3, 1.3, 5.7, 2.9},
    {0.07, 13.9, 0.7, 12.1, 0.2},
    {0.03, 31.0, 2.4, 27.0, 1.7},
}};
constexpr double U_TREND = 0.11; // a gentle rise to the north-east
constexpr double V_TREND = 0.06;
// The sum of the waves and trends stays within about -0.81 to 0.77 over the
// square; this span is mapped onto LOWEST to HIGHEST.
constexpr double WAVE_LOW = -0.82;
constexpr double WAVE_SPAN = 1.60;

// Ellipses without data, in unit-square coordinates.
struct Hole {
    double u;
    double v;
    double u_radius;
    double v_radius;
};

constexpr std::array<Hole, 3> HOLES{{
    {0.21, 0.68, 0.045, 0.030},
    {0.64, 0.27, 0.030, 0.055},
    {0.86, 0.88, 0.025, 0.020},
}};

std::uint64_t mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// The terrain sampled on a size x size lattice over the unit square; column i
// runs west to east, row j south to north.
class Terrain {
  public:
    explicit Terrain(int size)
        : size_(size), u_waves_(WAVES.size() * static_cast<std::size_t>(size)),
          v_waves_(u_waves_.size()) {
        for (std::size_t k = 0; k < WAVES.size(); ++k) {
            for (int i = 0; i < size; ++i) {
                const double t = unit(i);
                const std::size_t at = k * static_cast<std::size_t>(size) + i;
                u_waves_[at] =
                    std::sin(2.0 * std::numbers::pi * WAVES[k].u_frequency * t + WAVES[k].u_phase);
                v_waves_[at] =
                    std::sin(2.0 * std::numbers::pi * WAVES[k].v_frequency * t + WAVES[k].v_phase);
            }
        }
    }

    int size() const { return size_; }

    // The height at column i, row j in meters, or NaN in a hole.
    double height(int i, int j) const {
        const double u = unit(i);
        const double v = unit(j);
        for (const Hole& hole : HOLES) {
            const double du = (u - hole.u) / hole.u_radius;
            const double dv = (v - hole.v) / hole.v_radius;
            if (du * du + dv * dv < 1.0) {
                return std::numeric_limits<double>::quiet_NaN();
            }
        }
        double s = U_TREND * (2.0 * u - 1.0) + V_TREND * (2.0 * v - 1.0);
        for (std::size_t k = 0; k < WAVES.size(); ++k) {
            const std::size_t base = k * static_cast<std::size_t>(size_);
            s += WAVES[k].amplitude * u_waves_[base + i] * v_waves_[base + j];
        }
        const double t = std::clamp((s - WAVE_LOW) / WAVE_SPAN, 0.0, 1.0);
        const double shaped = t * t * (0.4 + 0.6 * t);
        const std::uint64_t bits =
            mix((static_cast<std::uint64_t>(j) << 32) | static_cast<std::uint32_t>(i));
        const double noise = static_cast<double>(bits >> 11) * 0x1.0p-52 - 1.0; // -1 to 1
        const double h = LOWEST + (HIGHEST - LOWEST) * shaped + NOISE * noise;
        return std::clamp(h, LOWEST, HIGHEST);
    }

  private:
    double unit(int i) const { return static_cast<double>(i) / static_cast<double>(size_ - 1); }

    int size_;
    std::vector<double> u_waves_;
    std::vector<double> v_waves_;
};

// A file written under name + ".part" and renamed when closed.
class OutputFile {
  public:
    explicit OutputFile(fs::path path) : path_(std::move(path)), part_(path_) {
        part_ += ".part";
        file_ = std::fopen(part_.c_str(), "wb");
        if (file_ == nullptr) {
            throw std::runtime_error("cannot create " + part_.string());
        }
        std::setvbuf(file_, nullptr, _IOFBF, 1 << 22);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() {
        if (file_ != nullptr) {
            std::fclose(file_);
            std::error_code ignored;
            fs::remove(part_, ignored);
        }
    }

    void write(const void* bytes, std::size_t size) {
        if (std::fwrite(bytes, 1, size, file_) != size) {
            throw std::runtime_error("cannot write " + part_.string());
        }
    }
    void write(const std::string& text) { write(text.data(), text.size()); }

    void seek_start() {
        if (std::fseek(file_, 0, SEEK_SET) != 0) {
            throw std::runtime_error("cannot seek in " + part_.string());
        }
    }

    // Closes the file and gives it its final name; returns its size.
    std::uintmax_t finish() {
        const int closed = std::fclose(file_);
        file_ = nullptr;
        if (closed != 0) {
            fs::remove(part_);
            throw std::runtime_error("cannot write " + part_.string());
        }
        fs::rename(part_, path_);
        return fs::file_size(path_);
    }

  private:
    fs::path path_;
    fs::path part_;
    std::FILE* file_ = nullptr;
};

template <typename T>
void append_le(std::string& out, T value) {
    char bytes[sizeof value];
    dtm::store_le(bytes, value);
    out.append(bytes, sizeof value);
}

// --- USGS ASCII DEM ---------------------------------------------------------

constexpr std::size_t RECORD = 1024;
constexpr std::size_t PROFILE_HEADER = 144;
constexpr std::size_t FIRST_RECORD_FIELDS = 146;
constexpr std::size_t RECORD_FIELDS = 170;

// Right-aligns an integer in a blank 6-byte field.
void put_i6(char* field, std::int32_t value) {
    char digits[16];
    const auto converted = std::to_chars(digits, digits + sizeof digits, value);
    const auto length = static_cast<std::size_t>(converted.ptr - digits);
    std::memcpy(field + 6 - length, digits, length);
}

// D24.15: the D exponent, right-aligned in 24 bytes.
void put_d24(char* field, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%24.15E", value);
    std::replace(text, text + 24, 'E', 'D');
    std::memcpy(field, text, 24);
}

void put_e12(char* field, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%12.6E", value);
    std::memcpy(field, text, 12);
}

std::string type_a_record(int size, std::int32_t lowest, std::int32_t highest) {
    std::string record(RECORD, ' ');
    char* r = record.data();
    const char name[] = "SYNTHETIC HILLS BENCHMARK DEM";
    std::memcpy(r, name, sizeof name - 1);
    put_i6(r + 144, 1);  // level code
    put_i6(r + 150, 1);  // elevation pattern: regular
    put_i6(r + 156, 1);  // reference system: UTM
    put_i6(r + 162, 10); // zone
    for (std::size_t i = 0; i < 15; ++i) {
        put_d24(r + 168 + 24 * i, 0.0);
    }
    put_i6(r + 528, 2); // planimetric units: meters
    put_i6(r + 534, 2); // elevation units: meters
    put_i6(r + 540, 4); // sides of the coverage polygon
    const double span = SPACING * (size - 1);
    const double corners[4][2] = {{X_ORIGIN, Y_ORIGIN},
                                  {X_ORIGIN, Y_ORIGIN + span},
                                  {X_ORIGIN + span, Y_ORIGIN + span},
                                  {X_ORIGIN + span, Y_ORIGIN}};
    std::size_t offset = 546;
    for (const auto& corner : corners) {
        for (double coordinate : corner) {
            put_d24(r + offset, coordinate);
            offset += 24;
        }
    }
    put_d24(r + 738, lowest);
    put_d24(r + 762, highest);
    put_d24(r + 786, 0.0); // rotation
    put_i6(r + 810, 0);    // accuracy code
    put_e12(r + 816, SPACING);
    put_e12(r + 828, SPACING);
    put_e12(r + 840, 1.0); // z resolution
    put_i6(r + 852, 1);    // profile rows
    put_i6(r + 858, size); // profile columns
    return record;
}

std::size_t profile_records(std::size_t count) {
    if (count <= FIRST_RECORD_FIELDS) {
        return 1;
    }
    return 1 + (count - FIRST_RECORD_FIELDS + RECORD_FIELDS - 1) / RECORD_FIELDS;
}

void write_dem(const fs::path& path, const Terrain& terrain) {
    const int size = terrain.size();
    const auto count = static_cast<std::size_t>(size);
    OutputFile out(path);
    out.write(std::string(RECORD, ' ')); // the Type A record, written last
    std::vector<std::int32_t> elevations(count);
    std::string records(profile_records(count) * RECORD, ' ');
    std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
    std::int32_t highest = std::numeric_limits<std::int32_t>::min();
    for (int i = 0; i < size; ++i) {
        std::int32_t profile_low = std::numeric_limits<std::int32_t>::max();
        std::int32_t profile_high = std::numeric_limits<std::int32_t>::min();
        for (int j = 0; j < size; ++j) {
            const double h = terrain.height(i, j);
            std::int32_t e = DEM_VOID;
            if (!std::isnan(h)) {
                e = static_cast<std::int32_t>(std::lround(h));
                profile_low = std::min(profile_low, e);
                profile_high = std::max(profile_high, e);
            }
            elevations[j] = e;
        }
        lowest = std::min(lowest, profile_low);
        highest = std::max(highest, profile_high);

        std::fill(records.begin(), records.end(), ' ');
        char* r = records.data();
        put_i6(r, 1);         // row
        put_i6(r + 6, i + 1); // column
        put_i6(r + 12, size);
        put_i6(r + 18, 1);
        put_d24(r + 24, X_ORIGIN + SPACING * i);
        put_d24(r + 48, Y_ORIGIN);
        put_d24(r + 72, 0.0); // datum elevation
        put_d24(r + 96, profile_low);
        put_d24(r + 120, profile_high);
        std::size_t at = PROFILE_HEADER;
        std::size_t left_in_record = FIRST_RECORD_FIELDS;
        std::size_t record_start = 0;
        for (const std::int32_t e : elevations) {
            if (left_in_record == 0) {
                record_start += RECORD;
                at = record_start;
                left_in_record = RECORD_FIELDS;
            }
            put_i6(r + at, e);
            at += 6;
            --left_in_record;
        }
        out.write(records);
    }
    out.seek_start();
    out.write(type_a_record(size, lowest, highest));
    out.finish();
}

// --- Surfer grids -----------------------------------------------------------

struct Range {
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    void widen(double v) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
};

std::string dsrb_header(int size, const Range& z) {
    std::string out = "DSRB";
    append_le(out, std::int32_t{4});
    append_le(out, std::int32_t{1}); // version
    out += "GRID";
    append_le(out, std::int32_t{72});
    append_le(out, std::int32_t{size}); // rows
    append_le(out, std::int32_t{size}); // columns
    for (double v : {X_ORIGIN, Y_ORIGIN, SPACING, SPACING, z.low, z.high, 0.0, SURFER6_BLANK}) {
        append_le(out, v);
    }
    out += "DATA";
    append_le(out, static_cast<std::int32_t>(std::int64_t{size} * size * 8));
    return out;
}

std::string dsbb_header(int size, const Range& z) {
    std::string out = "DSBB";
    append_le(out, static_cast<std::int16_t>(size)); // columns
    append_le(out, static_cast<std::int16_t>(size)); // rows
    const double span = SPACING * (size - 1);
    for (double v : {X_ORIGIN, X_ORIGIN + span, Y_ORIGIN, Y_ORIGIN + span, z.low, z.high}) {
        append_le(out, v);
    }
    return out;
}

// Both binary layouts in one pass over the terrain.
void write_binary_grids(const fs::path& dsrb_path, const fs::path& dsbb_path,
                        const Terrain& terrain) {
    const int size = terrain.size();
    OutputFile dsrb(dsrb_path);
    OutputFile dsbb(dsbb_path);
    Range z64;
    Range z32;
    dsrb.write(dsrb_header(size, z64)); // rewritten with the range at the end
    dsbb.write(dsbb_header(size, z32));
    std::vector<double> row64(static_cast<std::size_t>(size));
    std::vector<float> row32(static_cast<std::size_t>(size));
    for (int j = 0; j < size; ++j) {
        for (int i = 0; i < size; ++i) {
            const double h = terrain.height(i, j);
            if (std::isnan(h)) {
                row64[i] = SURFER6_BLANK;
                row32[i] = std::bit_cast<float>(SURFER6_BLANK_BITS);
            } else {
                row64[i] = h;
                row32[i] = static_cast<float>(h);
                z64.widen(h);
                z32.widen(static_cast<double>(row32[i]));
            }
        }
        dsrb.write(row64.data(), row64.size() * sizeof(double));
        dsbb.write(row32.data(), row32.size() * sizeof(float));
    }
    dsrb.seek_start();
    dsrb.write(dsrb_header(size, z64));
    dsbb.seek_start();
    dsbb.write(dsbb_header(size, z32));
    dsrb.finish();
    dsbb.finish();
}

// %.<digits>g
void append_number(std::string& out, double value, int digits = 10) {
    char text[40];
    const auto converted =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    out.append(text, converted.ptr);
}

// How an ASCII grid's text is laid out: significant digits of each node,
// line end, and whether a blank follows every node (as GDAL writes them).
struct TextLayout {
    int digits = 10;
    const char* line_end = "\n";
    bool blank_after_every_node = false;
};

void write_ascii_grid(const fs::path& path, const Terrain& terrain, const TextLayout& layout) {
    const int size = terrain.size();
    Range z;
    for (int j = 0; j < size; ++j) {
        for (int i = 0; i < size; ++i) {
            const double h = terrain.height(i, j);
            if (!std::isnan(h)) {
                z.widen(h);
            }
        }
    }
    const double span = SPACING * (size - 1);
    const std::string line_end = layout.line_end;
    std::string text =
        "DSAA" + line_end + std::to_string(size) + " " + std::to_string(size) + line_end;
    const std::pair<double, double> limits[] = {
        {X_ORIGIN, X_ORIGIN + span}, {Y_ORIGIN, Y_ORIGIN + span}, {z.low, z.high}};
    for (const auto& [low, high] : limits) {
        append_number(text, low, layout.digits);
        text += ' ';
        append_number(text, high, layout.digits);
        text += line_end;
    }
    OutputFile out(path);
    out.write(text);
    // Each row in lines of 10 nodes, a blank line after it.
    for (int j = 0; j < size; ++j) {
        text.clear();
        for (int i = 0; i < size; ++i) {
            const double h = terrain.height(i, j);
            if (std::isnan(h)) {
                text += SURFER6_BLANK_TEXT;
            } else {
                append_number(text, h, layout.digits);
            }
            const bool line_ends = (i + 1) % 10 == 0 || i + 1 == size;
            if (layout.blank_after_every_node || !line_ends) {
                text += ' ';
            }
            if (line_ends) {
                text += line_end;
            }
        }
        text += line_end;
        out.write(text);
    }
    out.finish();
}

template <typename Write>
void timed(const char* what, Write write) {
    const auto start = std::chrono::steady_clock::now();
    write();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%-36s %6.2f s\n", what, took.count());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argc > 0 ? argv[0] : "bench_make_inputs");
        return 2;
    }
    try {
        const fs::path folder = argv[1];
        fs::create_directories(folder);
        timed("dem_3601.dem", [&] { write_dem(folder / "dem_3601.dem", Terrain(DEM_SIZE)); });
        timed("grid_6000_dsrb.grd grid_6000_dsbb.grd", [&] {
            write_binary_grids(folder / "grid_6000_dsrb.grd", folder / "grid_6000_dsbb.grd",
                               Terrain(BINARY_GRID_SIZE));
        });
        const Terrain ascii_terrain(ASCII_GRID_SIZE);
        timed("grid_3000_dsaa.grd",
              [&] { write_ascii_grid(folder / "grid_3000_dsaa.grd", ascii_terrain, {}); });
        timed("grid_3000_gdal_dsaa.grd", [&] {
            write_ascii_grid(folder / "grid_3000_gdal_dsaa.grd", ascii_terrain, {14, "\r\n", true});
        });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_make_inputs: %s\n", e.what());
        return 1;
    }
    return 0;
}
