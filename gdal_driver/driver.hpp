// The entry point of the VORDADTM driver (short name VORDADTM, "VORDA-PC
// binary DTM", extension dtm): registers it with GDAL's driver manager,
// once. GDAL finds it by name in the plugin gdal_VORDADTM.so; programs
// that link the driver in call it themselves.
#pragma once

// Exported from the plugin whatever visibility the rest of it has.
extern "C" __attribute__((visibility("default"))) void GDALRegister_VORDADTM();
