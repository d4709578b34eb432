// The driver's registration: the entry point GDAL calls when it loads the
// plugin gdal_VORDADTM.so from its plugin folder or GDAL_DRIVER_PATH.
#include "gdal_driver/driver.hpp"

#include "gdal_driver/create_copy.hpp"
#include "gdal_driver/dataset.hpp"

namespace {

constexpr char OPEN_OPTIONS[] =
    "<OpenOptionList>"
    "  <Option name='NODATA' type='string' description='The void value, a number or NONE "
    "(default -1 in version 2.00 files, -32767 in version 3.00 files, none otherwise)'/>"
    "  <Option name='DATUM' type='string-select' default='WGS84' description='Datum of the "
    "reference system, which the file does not record'>"
    "    <Value>WGS84</Value><Value>NAD83</Value><Value>NAD27</Value>"
    "  </Option>"
    "</OpenOptionList>";

} // namespace

extern "C" void GDALRegister_VORDADTM() {
    if (!GDAL_CHECK_VERSION(vordadtm::DRIVER_NAME) ||
        GDALGetDriverByName(vordadtm::DRIVER_NAME) != nullptr) {
        return;
    }
    auto* driver = new GDALDriver();
    driver->SetDescription(vordadtm::DRIVER_NAME);
    driver->SetMetadataItem(GDAL_DCAP_RASTER, "YES");
    driver->SetMetadataItem(GDAL_DMD_LONGNAME, "VORDA-PC binary DTM");
    driver->SetMetadataItem(GDAL_DMD_EXTENSION, "dtm");
    driver->SetMetadataItem(GDAL_DCAP_CREATE, "YES");
    driver->SetMetadataItem(GDAL_DCAP_CREATECOPY, "YES");
    driver->SetMetadataItem(GDAL_DCAP_VIRTUALIO, "YES");
    driver->SetMetadataItem(GDAL_DMD_CREATIONDATATYPES, "Byte Int16 UInt16 Int32 UInt32 Float32 "
                                                        "Float64");
    driver->SetMetadataItem(GDAL_DMD_OPENOPTIONLIST, OPEN_OPTIONS);
    driver->SetMetadataItem(GDAL_DMD_CREATIONOPTIONLIST, vordadtm::CREATION_OPTIONS);
    driver->pfnIdentify = vordadtm::Dataset::identify;
    driver->pfnOpen = vordadtm::Dataset::open;
    driver->pfnCreate = vordadtm::Dataset::create;
    driver->pfnCreateCopy = vordadtm::create_copy;
    GetGDALDriverManager()->RegisterDriver(driver);
}
