// Writing a DTM file from any single-band north-up raster (CreateCopy).
#pragma once

#include "gdal_priv.h"

namespace vordadtm {

// The creation options, as the driver declares them.
extern const char CREATION_OPTIONS[];

GDALDataset* create_copy(const char* path, GDALDataset* source, int strict, char** options,
                         GDALProgressFunc progress, void* progress_data);

} // namespace vordadtm
