// The entry point of the VORDADTM driver (short name VORDADTM, "VORDA-PC
// binary DTM", extension dtm): registers it with GDAL's driver manager,
// once. GDAL finds it by name in the plugin gdal_VORDADTM.so; programs
// that link the driver in call it themselves.
#pragma once

#include "gdal_priv.h"

extern "C" CPL_DLL void GDALRegister_VORDADTM();
