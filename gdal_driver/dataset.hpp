// A DTM file opened in GDAL: one band, north up, its geotransform by the
// pixel-is-point rule, its spatial reference and header fields as metadata.
#pragma once

#include <array>

#include "dtmfile/dtm_header.hpp"
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

class Dataset final : public GDALDataset {
  public:
    ~Dataset() override;

    static int identify(GDALOpenInfo* info);
    static GDALDataset* open(GDALOpenInfo* info);

    CPLErr GetGeoTransform(double* transform) override;
    const OGRSpatialReference* GetSpatialRef() const override;

  private:
    friend class RasterBand;

    Dataset() = default;

    VSILFILE* file_ = nullptr;
    dtm::DtmHeader header_;
    OGRSpatialReference srs_;
};

} // namespace vordadtm
