// A DTM file in GDAL: one band, north up, its geotransform by the
// pixel-is-point rule, its spatial reference and header fields as metadata.
// Opened read only, the file's columns are read as GDAL asks for them;
// opened for update or made by Create, the cells are held in memory
// (StagedGrid) and the file is written at close, in place or anew. What the
// header cannot hold is kept in the .aux.xml beside it (PAM).
#pragma once

#include <array>
#include <optional>
#include <string>

#include "cpl_string.h"
#include "dtmfile/dtm_header.hpp"
#include "dtmfile/grid_order.hpp"
#include "gdal_driver/new_header.hpp"
#include "gdal_driver/spatial_reference.hpp"
#include "gdal_driver/staged_grid.hpp"
#include "gdal_pam.h"
#include "gdal_priv.h"
#include "ogr_spatialref.h"

namespace vordadtm {

inline constexpr char DRIVER_NAME[] = "VORDADTM";

// The band type of each cell type; GDT_Unknown for an unknown code.
GDALDataType band_type_of(int data_type);

// The geotransform of a header: the corner of cell (0, rows - 1), the
// north-western one, half a spacing beyond its centre, north up; in degrees
// when X and Y are arc-seconds.
std::array<double, 6> geotransform_of(const dtm::DtmHeader& header);

class Dataset final : public GDALPamDataset {
  public:
    ~Dataset() override;

    static int identify(GDALOpenInfo* info);
    static GDALDataset* open(GDALOpenInfo* info);
    static GDALDataset* create(const char* path, int columns, int rows, int bands,
                               GDALDataType type, char** options);

    void FlushCache(bool at_closing) override;

    CPLErr GetGeoTransform(double* transform) override;
    CPLErr SetGeoTransform(double* transform) override;
    const OGRSpatialReference* GetSpatialRef() const override;
    CPLErr SetSpatialRef(const OGRSpatialReference* srs) override;

    char** GetMetadata(const char* domain = "") override;
    const char* GetMetadataItem(const char* name, const char* domain = "") override;
    CPLErr SetMetadata(char** metadata, const char* domain = "") override;
    CPLErr SetMetadataItem(const char* name, const char* value, const char* domain = "") override;

    // Keeps in the .aux.xml what the header does not hold of a raster
    // copied into the file: its spatial reference, its metadata and the
    // whole of its description.
    void keep_in_sidecar(const OGRSpatialReference* srs, CSLConstList metadata,
                         const std::string& description);

  private:
    friend class RasterBand;

    enum class Mode { read, update, create };

    Dataset() = default;

    // Column `column` of the file into `image`, north first, of the band's
    // type; false after reporting why it could not be read.
    bool read_column(int column, void* image);

    // The cells in memory, read from the file when it is opened for update;
    // false after reporting why they cannot be.
    bool stage();

    // The header's items as metadata, from header_ and description_.
    void refresh_header_items();

    // Keeps the spatial reference in the .aux.xml when the header does not
    // hold it, and takes it out when the header does.
    void keep_srs(const OGRSpatialReference* srs);

    // The description, into the header and, when longer than it holds,
    // the .aux.xml.
    void set_description(const std::string& text);

    // The raster Create has been given so far, with `srs` as its spatial
    // reference, its geotransform turned north up; `order` is how its rows
    // run against the file's.
    RasterLayout created_layout(const OGRSpatialReference& srs, dtm::RowOrder& order);

    bool write_new_file();
    bool write_in_place();

    Mode mode_ = Mode::read;
    VSILFILE* file_ = nullptr;
    std::string path_;
    Datum datum_ = Datum::wgs84;
    dtm::DtmHeader header_;
    dtm::DtmHeader opened_header_; // as read, for update
    std::string description_;      // the whole of it, which may be longer than the header's
    OGRSpatialReference srs_;      // the header's; given to Create
    std::array<double, 6> transform_{0.0, 1.0, 0.0, 0.0, 0.0, 1.0}; // as GDAL sees the raster
    bool has_transform_ = false;
    dtm::RowOrder order_{.north_first = true}; // of the grid's rows and columns
    StagedGrid grid_;
    bool cells_changed_ = false;
    bool file_pending_ = false; // a new file not written since its last change
    CPLStringList options_;     // Create's
    CPLStringList header_items_;
    CPLStringList metadata_; // what GetMetadata() gives
};

} // namespace vordadtm
