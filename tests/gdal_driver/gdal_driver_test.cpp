// The VORDADTM driver through GDAL's C API, loaded as a user loads it: the
// plugin from the build folder that GDAL_DRIVER_PATH names (set by CTest).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "cpl_csv.h"
#include "cpl_error.h"
#include "cpl_vsi.h"
#include "dtmfile/dtm_reader.hpp"
#include "dtmfile_io/dtm_file_reader.hpp"
#include "gdal.h"
#include "ogr_srs_api.h"
#include "tests/support/test_files.hpp"

namespace {

using namespace testing_support;

class GdalEnvironment : public ::testing::Environment {
    void SetUp() override {
        GDALAllRegister();
        CPLPushErrorHandler(CPLQuietErrorHandler);
    }
    void TearDown() override {
        CPLPopErrorHandler();
        GDALDestroyDriverManager();
    }
};
[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new GdalEnvironment);

const char* const ONLY_DTM[] = {"VORDADTM", nullptr};

GDALDatasetH open_dtm(const std::string& path) {
    return GDALOpenEx(path.c_str(), GDAL_OF_RASTER, ONLY_DTM, nullptr, nullptr);
}

// What a test compares of a raster: cells row by row from the north.
struct Raster {
    int columns = 0, rows = 0;
    std::array<double, 6> transform{};
    int has_nodata = 0;
    double nodata = 0;
    std::vector<double> cells;
    std::string srs; // the name of the spatial reference
    bool operator==(const Raster&) const = default;
};

Raster read_raster(GDALDatasetH dataset) {
    Raster r;
    r.columns = GDALGetRasterXSize(dataset);
    r.rows = GDALGetRasterYSize(dataset);
    EXPECT_EQ(GDALGetGeoTransform(dataset, r.transform.data()), CE_None);
    GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
    r.nodata = GDALGetRasterNoDataValue(band, &r.has_nodata);
    r.cells.resize(static_cast<std::size_t>(r.columns) * static_cast<std::size_t>(r.rows));
    EXPECT_EQ(GDALRasterIO(band, GF_Read, 0, 0, r.columns, r.rows, r.cells.data(), r.columns,
                           r.rows, GDT_Float64, 0, 0),
              CE_None);
    if (OGRSpatialReferenceH srs = GDALGetSpatialRef(dataset)) {
        r.srs = OSRGetName(srs);
    }
    return r;
}

// A sample converted by one of the programs into `dir`/s.dtm.
std::string converted_sample(const TempDir& dir, const std::string& program,
                             std::vector<std::string> arguments) {
    const RunResult run = run_program(program, arguments, dir.path());
    EXPECT_EQ(run.exit_status, 0) << run.out;
    return dir.file("s.dtm");
}

TEST(GdalDriverReading, SamplesAgreeWithTheLibrarysReader) {
    struct Case {
        const char* program;
        std::vector<std::string> arguments;
        double nodata;
        const char* srs;
        double linear_unit; // of the spatial reference, in metres
    };
    const std::string samples = SAMPLES_DIR;
    const std::string grid = samples + "/topobathy_utm10_dsrb.grd";
    const Case cases[] = {
        {TAVERLIN_PATH,
         {samples + "/topobathy_utm10.dem", "s.dtm"},
         -1,
         "WGS 84 / UTM zone 10N",
         1},
        {BRISKEL_PATH,
         {grid, "s.dtm", "m", "m", "/pm", "/em", "/sutm", "/z10"},
         -32767,
         "WGS 84 / UTM zone 10N",
         1},
        // Reference system 0 in a BRISKEL file is none: X and Y stay as they are.
        {BRISKEL_PATH, {grid, "s.dtm", "m", "m", "/pm", "/em"}, -32767, "", 0},
        {BRISKEL_PATH,
         {grid, "s.dtm", "m", "m", "/pf", "/em", "/sutm", "/z10"},
         -32767,
         "WGS 84 / UTM zone 10N",
         0.3048},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        TempDir dir;
        const std::string path = converted_sample(dir, c.program, c.arguments);
        dtm::DtmFile file;
        ASSERT_EQ(dtm::read_dtm_file(path, file), dtm::DtmReadStatus::ok);
        GDALDatasetH dataset = open_dtm(path);
        ASSERT_NE(dataset, nullptr);
        const Raster raster = read_raster(dataset);
        const dtm::DtmHeader& h = file.header;
        ASSERT_EQ(raster.columns, h.column_count);
        ASSERT_EQ(raster.rows, h.row_count);
        const std::array<double, 6> transform{h.x_origin - h.x_spacing / 2,
                                              h.x_spacing,
                                              0,
                                              h.y_origin + (h.row_count - 0.5) * h.y_spacing,
                                              0,
                                              -h.y_spacing};
        EXPECT_EQ(raster.transform, transform);
        EXPECT_TRUE(raster.has_nodata);
        EXPECT_EQ(raster.nodata, c.nodata);
        EXPECT_EQ(raster.srs, c.srs);
        OGRSpatialReferenceH srs = GDALGetSpatialRef(dataset);
        EXPECT_EQ(srs != nullptr ? OSRGetLinearUnits(srs, nullptr) : 0.0, c.linear_unit);
        EXPECT_STREQ(GDALGetMetadataItem(dataset, "AREA_OR_POINT", nullptr), "Point");
        for (int y = 0; y < raster.rows; ++y) {
            for (int x = 0; x < raster.columns; ++x) {
                ASSERT_EQ(raster.cells[static_cast<std::size_t>(y * raster.columns + x)],
                          file.cell(x, h.row_count - 1 - y))
                    << x << "," << y;
            }
        }
        GDALClose(dataset);
    }
}

// A 5 x 4 GeoTIFF in /vsimem/ with a void cell in each corner.
void make_geotiff(const std::string& path, GDALDataType type, double nodata, int epsg,
                  const std::array<double, 6>& transform) {
    GDALDatasetH tiff =
        GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), 5, 4, 1, type, nullptr);
    ASSERT_NE(tiff, nullptr);
    std::array<double, 6> t = transform;
    GDALSetGeoTransform(tiff, t.data());
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, epsg);
    GDALSetSpatialRef(tiff, srs);
    OSRDestroySpatialReference(srs);
    GDALRasterBandH band = GDALGetRasterBand(tiff, 1);
    GDALSetRasterNoDataValue(band, nodata);
    std::vector<double> cells{nodata, 12,   -7,  3000, nodata, 0.5,    1, 2, 3, 4,
                              -2.25,  1000, 999, 8,    9,      nodata, 5, 6, 7, nodata};
    EXPECT_EQ(GDALRasterIO(band, GF_Write, 0, 0, 5, 4, cells.data(), 5, 4, GDT_Float64, 0, 0),
              CE_None);
    GDALClose(tiff);
}

TEST(GdalDriverRoundTrip, GeoTiffToDtmAndBackKeepsCellsPlaceAndVoids) {
    struct Case {
        GDALDataType type;
        double nodata;
        int epsg;
        std::array<double, 6> transform;
        GDALDataType dtm_type;
    };
    const Case cases[] = {
        {GDT_Int16, -1, 32610, {500000, 30, 0, 4000000, 0, -30}, GDT_Int16},
        {GDT_Float32, -32767, 32710, {500000, 12.5, 0, 7000000, 0, -25}, GDT_Float32},
        {GDT_Int16, -1, 4326, {-123.5, 0.0078125, 0, 49.25, 0, -0.015625}, GDT_Int16},
    };
    GDALDriverH dtm_driver = GDALGetDriverByName("VORDADTM");
    ASSERT_NE(dtm_driver, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.epsg);
        make_geotiff("/vsimem/source.tif", c.type, c.nodata, c.epsg, c.transform);
        GDALDatasetH source = GDALOpen("/vsimem/source.tif", GA_ReadOnly);
        GDALDatasetH dtm = GDALCreateCopy(dtm_driver, "/vsimem/copy.dtm", source, FALSE, nullptr,
                                          nullptr, nullptr);
        ASSERT_NE(dtm, nullptr);
        EXPECT_EQ(GDALGetRasterDataType(GDALGetRasterBand(dtm, 1)), c.dtm_type);
        GDALDatasetH back = GDALCreateCopy(GDALGetDriverByName("GTiff"), "/vsimem/back.tif", dtm,
                                           FALSE, nullptr, nullptr, nullptr);
        const Raster original = read_raster(source);
        EXPECT_TRUE(original == read_raster(dtm));
        EXPECT_TRUE(original == read_raster(back));
        for (GDALDatasetH d : {source, dtm, back}) {
            GDALClose(d);
        }
        for (const char* path : {"/vsimem/source.tif", "/vsimem/copy.dtm", "/vsimem/back.tif"}) {
            VSIUnlink(path);
        }
    }
}

TEST(GdalDriverRoundTrip, TaverlinDtmThroughGeoTiffGivesItsBytesBack) {
    TempDir dir;
    const std::string path = converted_sample(
        dir, TAVERLIN_PATH, {std::string(SAMPLES_DIR) + "/topobathy_utm10.dem", "s.dtm"});
    GDALDatasetH dtm = open_dtm(path);
    GDALDatasetH tiff = GDALCreateCopy(GDALGetDriverByName("GTiff"), "/vsimem/t.tif", dtm, FALSE,
                                       nullptr, nullptr, nullptr);
    GDALDatasetH back = GDALCreateCopy(GDALGetDriverByName("VORDADTM"), "/vsimem/t.dtm", tiff,
                                       FALSE, nullptr, nullptr, nullptr);
    ASSERT_NE(back, nullptr);
    for (GDALDatasetH d : {dtm, tiff, back}) {
        GDALClose(d);
    }
    vsi_l_offset size = 0;
    const GByte* bytes = VSIGetMemFileBuffer("/vsimem/t.dtm", &size, FALSE);
    const std::string copy(reinterpret_cast<const char*>(bytes), size);
    const std::string original = read_file(path);
    // The description, 60 bytes after the signature and its NUL, aside.
    ASSERT_EQ(copy.size(), original.size());
    EXPECT_TRUE(original.substr(0, 21) + original.substr(81) ==
                copy.substr(0, 21) + copy.substr(81));
    VSIUnlink("/vsimem/t.tif");
    VSIUnlink("/vsimem/t.dtm");
}

// Columns from the north of 40000.7, -2.9, 2.5, 7, -1, -1.5, -32767 and a
// void, in UTM zone 10.
GDALDatasetH column_source(int columns) {
    GDALDatasetH mem =
        GDALCreate(GDALGetDriverByName("MEM"), "", columns, 8, 1, GDT_Float64, nullptr);
    double transform[6] = {0, 1, 0, 8, 0, -1};
    GDALSetGeoTransform(mem, transform);
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, 32610);
    GDALSetSpatialRef(mem, srs);
    OSRDestroySpatialReference(srs);
    GDALRasterBandH band = GDALGetRasterBand(mem, 1);
    GDALSetRasterNoDataValue(band, -9999);
    double cells[8] = {40000.7, -2.9, 2.5, 7, -1, -1.5, -32767, -9999};
    for (int c = 0; c < columns; ++c) {
        EXPECT_EQ(GDALRasterIO(band, GF_Write, c, 0, 1, 8, cells, 1, 8, GDT_Float64, 0, 0),
                  CE_None);
    }
    return mem;
}

void collect_warning(CPLErr type, CPLErrorNum, const char* message) {
    if (type == CE_Warning) {
        static_cast<std::vector<std::string>*>(CPLGetErrorHandlerUserData())->push_back(message);
    }
}

TEST(GdalDriverWriting, CellsConvertAndRangeFollowsTheWritersConvention) {
    struct Case {
        const char* cell_type;
        std::vector<double> cells; // as read back, from the north
        const char *z_min, *z_max;
        std::vector<std::string> losses; // how the warnings begin
    };
    const std::string equal = "1 valid source cell equal to the void value ";
    const std::string cut = "The description is 61 bytes long and the DTM file keeps its first 60";
    const Case cases[] = {
        {"INT16",
         {-25536, -2, 2, 7, -1, -1, -32767, -1},
         "2",
         "7",
         {equal + "-1 ", "1 valid source cell will read as void", "1 valid source cell outside",
          cut}},
        {"INT32",
         {40000, -2, 2, 7, -1, -1, -32767, -1},
         "2",
         "40000",
         {equal + "-1 ", "1 valid source cell will read as void", cut}},
        {"FLOAT32",
         {40000.69921875, static_cast<float>(-2.9), 2.5, 7, -1, -1.5, -32767, -32767},
         "-2.9000000953674316",
         "40000.69921875",
         {equal + "-32767 ", cut}},
        {"FLOAT64",
         {40000.7, -2.9, 2.5, 7, -1, -1.5, -32767, -32767},
         "-2.8999999999999999",
         "40000.699999999997",
         {equal + "-32767 ", cut}},
    };
    GDALDatasetH source = column_source(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cell_type);
        const std::string option = std::string("CELL_TYPE=") + c.cell_type;
        const std::string description = "DESCRIPTION=" + std::string(61, 'x');
        char* options[] = {const_cast<char*>(option.c_str()),
                           const_cast<char*>(description.c_str()), nullptr};
        std::vector<std::string> warnings;
        CPLPushErrorHandlerEx(collect_warning, &warnings);
        GDALDatasetH dtm = GDALCreateCopy(GDALGetDriverByName("VORDADTM"), "/vsimem/c.dtm", source,
                                          FALSE, options, nullptr, nullptr);
        CPLPopErrorHandler();
        ASSERT_NE(dtm, nullptr);
        ASSERT_EQ(warnings.size(), c.losses.size());
        for (std::size_t i = 0; i < warnings.size(); ++i) {
            EXPECT_EQ(warnings[i].substr(0, c.losses[i].size()), c.losses[i]);
        }
        EXPECT_EQ(read_raster(dtm).cells, c.cells);
        EXPECT_STREQ(GDALGetMetadataItem(dtm, "Z_MIN", nullptr), c.z_min);
        EXPECT_STREQ(GDALGetMetadataItem(dtm, "Z_MAX", nullptr), c.z_max);
        GDALClose(dtm);
        VSIUnlink("/vsimem/c.dtm");
    }
    GDALClose(source);
}

// The bytes of a file GDAL can read: a /vsimem/ file, or an entry of an
// archive there.
std::string vsi_bytes(const std::string& path) {
    std::string bytes;
    if (VSILFILE* file = VSIFOpenL(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t got; (got = VSIFReadL(buffer, 1, sizeof buffer, file)) > 0;) {
            bytes.append(buffer, got);
        }
        VSIFCloseL(file);
    }
    return bytes;
}

TEST(GdalDriverWriting, FlippedSourcesAndSequentialTargetsGiveTheSameBytes) {
    // 3 columns by 2 rows from the north-west, in UTM zone 10, as the source
    // holds them when it runs south up (rows reversed) or west (columns).
    const double cells[6] = {1, 2, 3, 4, 5, 6};
    const auto copy = [&](bool south_up, bool west, const std::string& target) {
        GDALDatasetH mem = GDALCreate(GDALGetDriverByName("MEM"), "", 3, 2, 1, GDT_Int16, nullptr);
        double transform[6] = {
            west ? 130.0 : 100.0,   west ? -10.0 : 10.0, 0, south_up ? 180.0 : 200.0, 0,
            south_up ? 10.0 : -10.0};
        GDALSetGeoTransform(mem, transform);
        OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
        OSRImportFromEPSG(srs, 32610);
        GDALSetSpatialRef(mem, srs);
        OSRDestroySpatialReference(srs);
        double held[6];
        for (int i = 0; i < 6; ++i) {
            const int row = i / 3, column = i % 3;
            held[i] = cells[(south_up ? 1 - row : row) * 3 + (west ? 2 - column : column)];
        }
        EXPECT_EQ(GDALRasterIO(GDALGetRasterBand(mem, 1), GF_Write, 0, 0, 3, 2, held, 3, 2,
                               GDT_Float64, 0, 0),
                  CE_None);
        const char* options[] = {"DESCRIPTION=d", nullptr};
        GDALDatasetH dtm = GDALCreateCopy(GDALGetDriverByName("VORDADTM"), target.c_str(), mem,
                                          FALSE, const_cast<char**>(options), nullptr, nullptr);
        EXPECT_NE(dtm, nullptr) << target;
        GDALClose(dtm);
        GDALClose(mem);
    };
    copy(false, false, "/vsimem/n.dtm");
    const std::string north_up = vsi_bytes("/vsimem/n.dtm");
    ASSERT_EQ(north_up.size(), 200u + 6 * 2);
    EXPECT_EQ(north_up.substr(200), std::string("\x04\0\x01\0\x05\0\x02\0\x06\0\x03\0", 12));
    for (const auto& [south_up, west] : {std::pair{true, false}, {false, true}, {true, true}}) {
        copy(south_up, west, "/vsimem/f.dtm");
        EXPECT_EQ(vsi_bytes("/vsimem/f.dtm"), north_up) << south_up << west;
    }
    copy(true, false, "/vsigzip//vsimem/g.dtm.gz");
    EXPECT_EQ(vsi_bytes("/vsigzip//vsimem/g.dtm.gz"), north_up);
    copy(false, false, "/vsizip//vsimem/z.zip/z.dtm");
    EXPECT_EQ(vsi_bytes("/vsizip//vsimem/z.zip/z.dtm"), north_up);
    for (const char* path :
         {"/vsimem/n.dtm", "/vsimem/f.dtm", "/vsimem/g.dtm.gz", "/vsimem/z.zip"}) {
        VSIUnlink(path);
    }
}

int cancel_at_half(double done, const char*, void*) {
    return done < 0.5;
}

TEST(GdalDriverWriting, RefusedOrCancelledCopiesLeaveNoFile) {
    GDALDriverH driver = GDALGetDriverByName("VORDADTM");
    GDALDatasetH source = column_source(4);
    VSIStatBufL stat;
    EXPECT_EQ(
        GDALCreateCopy(driver, "/vsimem/x.dtm", source, FALSE, nullptr, cancel_at_half, nullptr),
        nullptr);
    EXPECT_EQ(CPLGetLastErrorNo(), CPLE_UserInterrupt);
    EXPECT_NE(VSIStatL("/vsimem/x.dtm", &stat), 0);
    double rotated[6] = {0, 1, 0.5, 5, 0, -1};
    GDALSetGeoTransform(source, rotated);
    EXPECT_EQ(GDALCreateCopy(driver, "/vsimem/x.dtm", source, FALSE, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_NE(VSIStatL("/vsimem/x.dtm", &stat), 0);
    GDALClose(source);
}

// Opens `bytes` as /vsimem/d.dtm: true when the driver opened it, false
// when it refused with an error.
bool opens(const std::string& bytes) {
    auto* data = reinterpret_cast<GByte*>(const_cast<char*>(bytes.data()));
    VSIFCloseL(VSIFileFromMemBuffer("/vsimem/d.dtm", data, bytes.size(), FALSE));
    CPLErrorReset();
    GDALDatasetH dataset = open_dtm("/vsimem/d.dtm");
    const bool opened = dataset != nullptr;
    if (opened) {
        GDALClose(dataset);
    } else if (bytes.size() > sizeof dtm::DTM_SIGNATURE) {
        EXPECT_EQ(CPLGetLastErrorType(), CE_Failure) << bytes.size() << " bytes";
    }
    VSIUnlink("/vsimem/d.dtm");
    return opened;
}

TEST(GdalDriverReading, DamagedFilesAreRefused) {
    dtm::DtmHeader header;
    header.version = 2.0f;
    header.column_count = 3;
    header.row_count = 2;
    const std::vector<std::int16_t> cells{1, 2, 3, 4, 5, 6};
    const std::string whole = dtm_file(header, cells);
    ASSERT_TRUE(opens(whole));
    EXPECT_TRUE(opens(whole + "extra")) << "a longer file is read with a warning";
    for (std::size_t length = 0; length < whole.size(); ++length) {
        EXPECT_FALSE(opens(whole.substr(0, length))) << length;
    }
    struct Case {
        const char* what;
        std::int16_t data_type;
        std::int32_t columns, rows;
    };
    const Case cases[] = {{"unknown cell type", 4, 3, 2},
                          {"negative columns", 0, -3, 2},
                          {"negative rows", 0, 3, -2},
                          {"more cells than bytes", 0, 4, 2},
                          {"huge counts", 3, 0x7FFFFFFF, 0x7FFFFFFF},
                          {"no cells", 0, 0, 2}};
    for (const Case& c : cases) {
        dtm::DtmHeader damaged = header;
        damaged.data_type = c.data_type;
        damaged.column_count = c.columns;
        damaged.row_count = c.rows;
        EXPECT_FALSE(opens(dtm_file(damaged, c.columns == 0 ? std::vector<std::int16_t>{} : cells)))
            << c.what;
    }
}

// A spatial reference as OSRSetFromUserInput takes it, in `unit` metres
// unless that is 0; null for "".
OGRSpatialReferenceH reference(const std::string& text, double unit = 0) {
    OGRSpatialReferenceH srs = text.empty() ? nullptr : OSRNewSpatialReference(nullptr);
    EXPECT_TRUE(srs == nullptr || OSRSetFromUserInput(srs, text.c_str()) == OGRERR_NONE) << text;
    if (srs != nullptr && unit != 0) {
        OSRSetLinearUnitsAndUpdateParameters(srs, unit == 1 ? "metre" : "foot", unit);
    }
    return srs;
}

// A 3 x 2 raster in `srs` CreateCopy'd to /vsimem/crs.dtm: false when
// refused, else its header; the warnings collected.
bool copy_in(OGRSpatialReferenceH srs, GDALDataType type, std::array<double, 6> transform,
             dtm::DtmHeader& header, std::vector<std::string>& warnings) {
    GDALDatasetH mem = GDALCreate(GDALGetDriverByName("MEM"), "", 3, 2, 1, type, nullptr);
    GDALSetGeoTransform(mem, transform.data());
    GDALSetSpatialRef(mem, srs);
    CPLPushErrorHandlerEx(collect_warning, &warnings);
    GDALDatasetH copy = GDALCreateCopy(GDALGetDriverByName("VORDADTM"), "/vsimem/crs.dtm", mem,
                                       FALSE, nullptr, nullptr, nullptr);
    CPLPopErrorHandler();
    GDALClose(mem);
    GDALClose(copy);
    vsi_l_offset size = 0;
    const GByte* bytes = VSIGetMemFileBuffer("/vsimem/crs.dtm", &size, FALSE);
    dtm::DtmFileFacts facts;
    return copy != nullptr && dtm::check_dtm_header(std::span<const std::uint8_t>(bytes, size),
                                                    size, header, facts) == dtm::DtmReadStatus::ok;
}

// True when /vsimem/crs.dtm, opened with DATUM=`datum` without its
// .aux.xml, has the spatial reference `expected` (none for null); it is
// removed after.
bool reads_back(const char* datum, OGRSpatialReferenceH expected,
                std::array<double, 6>* transform = nullptr) {
    VSIUnlink("/vsimem/crs.dtm.aux.xml");
    const std::string option = std::string("DATUM=") + datum;
    const char* const options[] = {option.c_str(), nullptr};
    GDALDatasetH dtm = GDALOpenEx("/vsimem/crs.dtm", GDAL_OF_RASTER, ONLY_DTM, options, nullptr);
    OGRSpatialReferenceH srs = GDALGetSpatialRef(dtm);
    const char* const same[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES", nullptr};
    const bool ok = expected == nullptr ? srs == nullptr
                                        : srs != nullptr && OSRIsSameEx(srs, expected, same) &&
                                              OSRGetLinearUnits(srs, nullptr) ==
                                                  OSRGetLinearUnits(expected, nullptr);
    GDALGetGeoTransform(dtm,
                        transform != nullptr ? transform->data() : std::array<double, 6>{}.data());
    GDALClose(dtm);
    VSIUnlink("/vsimem/crs.dtm");
    return ok;
}

TEST(GdalDriverReferenceSystems, EachKindOfSourceIsRecordedAndReadBackByTheTable) {
    struct Row {
        const char* srs;
        double unit; // metres to set as the source's unit, 0 for its own
        GDALDataType type;
        std::int16_t system, zone, xy_units;
        const char* message; // a part of the one warning, or of the error when refused
        const char* datum;   // read back with DATUM=
        const char* back;    // read back without the .aux.xml ("" none, null refused)
        double back_unit;
    };
    const char* no_datum = "The DTM header keeps no datum, ";
    const Row rows[] = {
        {"EPSG:32611", 0, GDT_Int16, 1, 11, 1, nullptr, "WGS84", "EPSG:32611", 0},
        {"EPSG:32711", 0, GDT_Float32, 1, -11, 1, nullptr, "WGS84", "EPSG:32711", 0},
        {"EPSG:32611", 0.3048, GDT_Float32, 1, 11, 0, nullptr, "WGS84", "EPSG:32611", 0.3048},
        {"EPSG:26711", 0, GDT_Int16, 1, 11, 1,
         "back as WGS 84 / UTM zone 11N (as NAD27 / UTM zone 11N when opened with DATUM=NAD27).",
         "WGS84", "EPSG:32611", 0},
        {"EPSG:26943", 0, GDT_Float32, 2, 403, 1, nullptr, "WGS84", "EPSG:26943", 0},
        {"EPSG:2222", 0, GDT_Float32, 2, 201, 0, nullptr, "WGS84", "EPSG:2222", 0},
        {"EPSG:2227", 0, GDT_Float32, 2, 403, 0, "foot is the international foot (0.3048 m)",
         "WGS84", "EPSG:26943", 0.3048},
        {"EPSG:26743", 0, GDT_Float32, 2, 403, 0, no_datum, "NAD27", "EPSG:26743", 0.3048},
        {"EPSG:26743", 1, GDT_Int16, 2, 403, 1, no_datum, "NAD27", "EPSG:26743", 1},
        {"EPSG:2768", 0, GDT_Float32, 2, 403, 1, no_datum, "WGS84", "EPSG:26943", 0}, // HARN
        {"EPSG:4326", 0, GDT_Int16, 0, 0, 1, nullptr, "WGS84", "EPSG:4326", 0},
        {"EPSG:4267", 0, GDT_Int16, 0, 0, 1, no_datum, "WGS84", "EPSG:4326", 0},
        {"EPSG:4326", 0, GDT_Float32, 0, 0, 0, "give CELL_TYPE=INT16", "", nullptr, 0},
        {"EPSG:5070", 0, GDT_Float32, 3, 0, 1,
         "reference system 3 (Albers Conical Equal Area) without the parameters", "WGS84", "", 0},
        {"EPSG:3857", 0, GDT_Int16, 5, 0, 1, "reference system 5 (Mercator)", "WGS84", "", 0},
        {"ESRI:54030", 0, GDT_Float32, 0, 0, 0, "give COORD_SYSTEM", "", nullptr, 0}, // Robinson
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.srs) + " " + std::to_string(row.unit));
        OGRSpatialReferenceH source = reference(row.srs, row.unit);
        const std::array<double, 6> transform =
            OSRIsGeographic(source)
                ? std::array<double, 6>{-118.5, 1 / 1200.0, 0, 34.25, 0, -1 / 3600.0}
                : std::array<double, 6>{500000, 30, 0, 4000000, 0, -30};
        dtm::DtmHeader header;
        std::vector<std::string> warnings;
        const bool copied = copy_in(source, row.type, transform, header, warnings);
        OSRDestroySpatialReference(source);
        ASSERT_EQ(copied, row.back != nullptr);
        if (!copied) {
            EXPECT_NE(std::string(CPLGetLastErrorMsg()).find(row.message), std::string::npos);
            continue;
        }
        EXPECT_EQ(header.coord_system, row.system);
        EXPECT_EQ(header.coord_zone, row.zone);
        EXPECT_EQ(header.xy_units, row.xy_units);
        ASSERT_EQ(warnings.size(), row.message != nullptr ? 1U : 0U);
        EXPECT_TRUE(row.message == nullptr || warnings[0].find(row.message) != std::string::npos)
            << warnings[0];
        OGRSpatialReferenceH expected = reference(row.back, row.back_unit);
        std::array<double, 6> read{};
        EXPECT_TRUE(reads_back(row.datum, expected, &read));
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_NEAR(read[i], transform[i], 1e-9);
        }
        OSRDestroySpatialReference(expected);
    }
}

TEST(GdalDriverReferenceSystems, EachZoneOfGdalsStatePlaneTableMapsBothWays) {
    const char* table = CSVFilename("stateplane.csv");
    std::vector<std::array<std::string, 3>> zones; // USGS code, datum, EPSG code
    CSVRewind(table);
    while (char** row = CSVGetNextLine(table)) {
        zones.push_back({row[5], row[4], row[6]});
    }
    ASSERT_GT(zones.size(), 250U);
    zones.push_back({"407", "NAD83", ""}); // NAD27 has a zone 407, NAD83 none
    for (const auto& [usgs, datum, epsg] : zones) {
        SCOPED_TRACE(usgs + " " + datum + " EPSG:" + epsg);
        // Written from its EPSG code (zones of the same projection, as New
        // Jersey and New York East, told apart by it), read back in metres.
        dtm::DtmHeader header = float_grid_header(3, 2);
        std::vector<std::string> warnings;
        OGRSpatialReferenceH source = reference(epsg.empty() ? "" : "EPSG:" + epsg);
        if (source != nullptr) {
            ASSERT_TRUE(copy_in(source, GDT_Float32, {0, 1, 0, 0, 0, -1}, header, warnings));
            EXPECT_EQ(header.coord_zone, std::stoi(usgs));
            OSRSetLinearUnitsAndUpdateParameters(source, "metre", 1.0);
        }
        header.version = 3.0f;
        header.coord_system = 2;
        header.coord_zone = static_cast<std::int16_t>(std::stoi(usgs));
        header.xy_units = 1;
        const std::string bytes = dtm_file(header, std::vector<float>(6));
        auto* data = reinterpret_cast<GByte*>(const_cast<char*>(bytes.data()));
        VSIFCloseL(VSIFileFromMemBuffer("/vsimem/crs.dtm", data, bytes.size(), FALSE));
        CPLPushErrorHandlerEx(collect_warning, &warnings);
        EXPECT_TRUE(reads_back(datum.c_str(), source));
        CPLPopErrorHandler();
        // A zone without an EPSG code reads as none, with a warning.
        EXPECT_TRUE(source != nullptr || warnings.size() == 1);
        OSRDestroySpatialReference(source);
    }
}

bool exists(const std::string& path) {
    VSIStatBufL stat;
    return VSIStatL(path.c_str(), &stat) == 0;
}

// 7 x 5 cells from the north, with the no-data value -9999, a NaN, a value
// past int16 and one equal to each writer's void value.
std::vector<double> scattered_cells() {
    std::vector<double> cells(35);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        cells[i] = static_cast<double>(i * 37 % 101) - 20.25;
    }
    cells[3] = -9999;
    cells[9] = std::nan("");
    cells[17] = 40000.7;
    cells[22] = -1;
    cells[30] = -32767;
    return cells;
}

TEST(GdalDriverCreate, WritesAsCreateCopyDoesInAnyOrderOfLinesOrTiles) {
    constexpr int COLUMNS = 7, ROWS = 5;
    const std::vector<double> cells = scattered_cells();
    double transform[6] = {500000, 30, 0, 4000000, 0, -30};
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, 32610);
    GDALDatasetH mem =
        GDALCreate(GDALGetDriverByName("MEM"), "", COLUMNS, ROWS, 1, GDT_Float64, nullptr);
    GDALSetGeoTransform(mem, transform);
    GDALSetSpatialRef(mem, srs);
    GDALSetRasterNoDataValue(GDALGetRasterBand(mem, 1), -9999);
    ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(mem, 1), GF_Write, 0, 0, COLUMNS, ROWS,
                           const_cast<double*>(cells.data()), COLUMNS, ROWS, GDT_Float64, 0, 0),
              CE_None);
    enum class Order { lines_from_the_south, tiles_scrambled, south_up_transform };
    GDALDriverH driver = GDALGetDriverByName("VORDADTM");
    for (const char* cell_type : {"CELL_TYPE=INT16", "CELL_TYPE=FLOAT32"}) {
        SCOPED_TRACE(cell_type);
        char* options[] = {const_cast<char*>(cell_type), const_cast<char*>("DESCRIPTION=d"),
                           nullptr};
        std::vector<std::string> copy_warnings;
        CPLPushErrorHandlerEx(collect_warning, &copy_warnings);
        GDALClose(
            GDALCreateCopy(driver, "/vsimem/copy.dtm", mem, FALSE, options, nullptr, nullptr));
        CPLPopErrorHandler();
        const std::string copy = vsi_bytes("/vsimem/copy.dtm");
        ASSERT_FALSE(copy.empty());
        for (Order order :
             {Order::lines_from_the_south, Order::tiles_scrambled, Order::south_up_transform}) {
            SCOPED_TRACE(static_cast<int>(order));
            std::vector<std::string> warnings;
            CPLPushErrorHandlerEx(collect_warning, &warnings);
            GDALDatasetH dtm =
                GDALCreate(driver, "/vsimem/new.dtm", COLUMNS, ROWS, 1, GDT_Float64, options);
            ASSERT_NE(dtm, nullptr);
            GDALRasterBandH band = GDALGetRasterBand(dtm, 1);
            EXPECT_EQ(GDALSetRasterNoDataValue(band, -9999), CE_None);
            EXPECT_EQ(GDALSetSpatialRef(dtm, srs), CE_None);
            auto write = [&](int x, int y, int w, int h, int row_of_y) {
                const double* from = cells.data() + row_of_y * COLUMNS + x;
                EXPECT_EQ(GDALRasterIO(band, GF_Write, x, y, w, h, const_cast<double*>(from), w, h,
                                       GDT_Float64, 0, COLUMNS * 8),
                          CE_None);
            };
            if (order == Order::lines_from_the_south) {
                EXPECT_EQ(GDALSetGeoTransform(dtm, transform), CE_None);
                for (int y = ROWS - 1; y >= 0; --y) {
                    write(0, y, COLUMNS, 1, y);
                }
            } else if (order == Order::tiles_scrambled) {
                EXPECT_EQ(GDALSetGeoTransform(dtm, transform), CE_None);
                // Tiles of 3 x 2, the last ones cut, in an order of their own.
                for (int k = 0; k < 9; ++k) {
                    const int tile = k * 5 % 9;
                    const int x = tile % 3 * 3, y = tile / 3 * 2;
                    write(x, y, std::min(3, COLUMNS - x), std::min(2, ROWS - y), y);
                }
            } else {
                // Rows from the south, which the file turns north up.
                double south_up[6] = {500000, 30, 0, 4000000 - 30 * ROWS, 0, 30};
                EXPECT_EQ(GDALSetGeoTransform(dtm, south_up), CE_None);
                for (int y = 0; y < ROWS; ++y) {
                    write(0, y, COLUMNS, 1, ROWS - 1 - y);
                }
            }
            GDALClose(dtm);
            CPLPopErrorHandler();
            EXPECT_EQ(warnings, copy_warnings);
            EXPECT_TRUE(vsi_bytes("/vsimem/new.dtm") == copy);
            EXPECT_FALSE(exists("/vsimem/new.dtm.aux.xml")) << "WGS 84 UTM is the header's own";
            VSIUnlink("/vsimem/new.dtm");
        }
        EXPECT_FALSE(copy_warnings.empty()) << "40000.7 and the void values are lost";
        VSIUnlink("/vsimem/copy.dtm");
    }
    OSRDestroySpatialReference(srs);
    GDALClose(mem);
}

TEST(GdalDriverCreate, RefusesWhatADtmFileCannotBe) {
    GDALDriverH driver = GDALGetDriverByName("VORDADTM");
    EXPECT_EQ(GDALCreate(driver, "/vsimem/r.dtm", 4, 3, 2, GDT_Int16, nullptr), nullptr);
    EXPECT_EQ(GDALCreate(driver, "/vsimem/r.dtm", 4, 3, 1, GDT_CFloat32, nullptr), nullptr);
    CPLErrorReset();
    EXPECT_EQ(GDALCreate(driver, "/vsigzip//vsimem/r.dtm.gz", 4, 3, 1, GDT_Int16, nullptr),
              nullptr);
    EXPECT_NE(std::string(CPLGetLastErrorMsg()).find("gdal_translate"), std::string::npos);
    EXPECT_FALSE(exists("/vsimem/r.dtm.gz"));
    GDALDatasetH dtm = GDALCreate(driver, "/vsimem/r.dtm", 4, 3, 1, GDT_Int16, nullptr);
    ASSERT_NE(dtm, nullptr);
    double rotated[6] = {0, 1, 0.5, 5, 0, -1};
    EXPECT_EQ(GDALSetGeoTransform(dtm, rotated), CE_Failure);
    EXPECT_NE(std::string(CPLGetLastErrorMsg()).find("warp"), std::string::npos);
    GDALClose(dtm);
    VSIUnlink("/vsimem/r.dtm");
}

TEST(GdalDriverUpdate, WritesInPlaceAndLeavesAnUntouchedFileAlone) {
    GDALDatasetH source = column_source(1);
    GDALClose(GDALCreateCopy(GDALGetDriverByName("VORDADTM"), "/vsimem/u.dtm", source, FALSE,
                             nullptr, nullptr, nullptr));
    GDALClose(source);
    const std::string before = vsi_bytes("/vsimem/u.dtm");
    auto open_update = [] {
        return GDALOpenEx("/vsimem/u.dtm", GDAL_OF_RASTER | GDAL_OF_UPDATE, ONLY_DTM, nullptr,
                          nullptr);
    };
    GDALDatasetH dtm = open_update();
    ASSERT_NE(dtm, nullptr);
    const Raster original = read_raster(dtm);
    GDALClose(dtm);
    EXPECT_TRUE(vsi_bytes("/vsimem/u.dtm") == before);

    // The northern two cells, the range shrinking to what is left.
    dtm = open_update();
    std::vector<double> block{500, -32767};
    EXPECT_EQ(GDALRasterIO(GDALGetRasterBand(dtm, 1), GF_Write, 0, 0, 1, 2, block.data(), 1, 2,
                           GDT_Float64, 0, 0),
              CE_None);
    GDALClose(dtm);
    dtm = open_dtm("/vsimem/u.dtm");
    Raster expected = original;
    expected.cells[0] = 500;
    expected.cells[1] = -32767;
    EXPECT_TRUE(read_raster(dtm) == expected);
    EXPECT_STREQ(GDALGetMetadataItem(dtm, "Z_MAX", nullptr), "500");
    EXPECT_STREQ(GDALGetMetadataItem(dtm, "Z_MIN", nullptr), "-1.5");
    GDALClose(dtm);

    // The header alone, as gdal_edit.py -a_ullr and -a_nodata change it.
    dtm = open_update();
    double transform[6] = {1000, 2, 0, 3000, 0, -4};
    EXPECT_EQ(GDALSetGeoTransform(dtm, transform), CE_None);
    EXPECT_EQ(GDALSetRasterNoDataValue(GDALGetRasterBand(dtm, 1), -9999), CE_None);
    GDALClose(dtm);
    dtm = open_dtm("/vsimem/u.dtm");
    std::copy(transform, transform + 6, expected.transform.begin());
    expected.nodata = -9999;
    EXPECT_TRUE(read_raster(dtm) == expected);
    GDALClose(dtm);
    EXPECT_TRUE(exists("/vsimem/u.dtm.aux.xml")) << "the void value is the file's by its version";

    // As gdal_edit.py -a_srs: a NAD27 zone kept beside the file, then a
    // WGS 84 one, which the header holds alone, stands over it again.
    for (const int epsg : {26711, 32611}) {
        SCOPED_TRACE(epsg);
        OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
        OSRImportFromEPSG(srs, epsg);
        dtm = open_update();
        EXPECT_EQ(GDALSetSpatialRef(dtm, srs), CE_None);
        GDALClose(dtm);
        dtm = open_dtm("/vsimem/u.dtm");
        EXPECT_TRUE(OSRIsSame(GDALGetSpatialRef(dtm), srs));
        GDALClose(dtm);
        OSRDestroySpatialReference(srs);
        EXPECT_EQ(vsi_bytes("/vsimem/u.dtm.aux.xml").find("<SRS") != std::string::npos,
                  epsg == 26711);
    }
    VSIUnlink("/vsimem/u.dtm");
    VSIUnlink("/vsimem/u.dtm.aux.xml");
}

TEST(GdalDriverPam, SidecarKeepsWhatTheHeaderCannotAndOnlyThat) {
    const std::array<double, 6> transform{500000, 30, 0, 4000000, 0, -30};
    struct Case {
        int epsg;
        bool sidecar;
    };
    for (const Case c : {Case{26711, true}, Case{32611, false}}) {
        SCOPED_TRACE(c.epsg);
        make_geotiff("/vsimem/s.tif", GDT_Float32, -9999, c.epsg, transform);
        GDALDatasetH tiff = GDALOpen("/vsimem/s.tif", GA_ReadOnly);
        GDALClose(GDALCreateCopy(GDALGetDriverByName("VORDADTM"), "/vsimem/s.dtm", tiff, FALSE,
                                 nullptr, nullptr, nullptr));
        GDALClose(tiff);
        EXPECT_EQ(exists("/vsimem/s.dtm.aux.xml"), c.sidecar);
        GDALDatasetH dtm = open_dtm("/vsimem/s.dtm");
        OGRSpatialReferenceH expected = OSRNewSpatialReference(nullptr);
        OSRImportFromEPSG(expected, c.epsg);
        EXPECT_TRUE(OSRIsSame(GDALGetSpatialRef(dtm), expected));
        OSRDestroySpatialReference(expected);
        double minimum = 0, maximum = 0, mean = 0, deviation = 0;
        ASSERT_EQ(GDALComputeRasterStatistics(GDALGetRasterBand(dtm, 1), FALSE, &minimum, &maximum,
                                              &mean, &deviation, nullptr, nullptr),
                  CE_None);
        GDALClose(dtm);
        dtm = open_dtm("/vsimem/s.dtm");
        double kept[4] = {};
        EXPECT_EQ(GDALGetRasterStatistics(GDALGetRasterBand(dtm, 1), FALSE, FALSE, &kept[0],
                                          &kept[1], &kept[2], &kept[3]),
                  CE_None);
        EXPECT_EQ(kept[1], maximum);
        EXPECT_EQ(kept[2], mean);
        GDALClose(dtm);
        const std::string sidecar = vsi_bytes("/vsimem/s.dtm.aux.xml");
        EXPECT_EQ(sidecar.find("AREA_OR_POINT"), std::string::npos);
        EXPECT_EQ(sidecar.find("DTM_"), std::string::npos);
        EXPECT_EQ(sidecar.find("<SRS") != std::string::npos, c.sidecar);
        for (const char* path : {"/vsimem/s.tif", "/vsimem/s.dtm", "/vsimem/s.dtm.aux.xml"}) {
            VSIUnlink(path);
        }
    }
}

} // namespace
