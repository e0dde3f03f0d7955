// The global board objects and their forwarding members.

#include "tamrelapi/alt_pci_qsys.hpp"
#include "tamrelapi/backend.hpp"
#include "tamrelapi/converters.hpp"
#include "tamrelapi/eeprom.hpp"
#include "tamrelapi/plx_io.hpp"
#include "tamrelapi/rf_modules.hpp"

using tamrel::api::backend;

CALT_PCI_QSYS gc_AltPciQSys;
CPLXIO gc_PLXIO;
CEEPROM gc_EEPROM;
CRfDC gc_RfDC;
CRfAtten gc_RfAtten;
CAD9789 gc_AD9789;
CADF4153 gc_ADF4153;

unsigned CPLXIO::read_reg(unsigned space, unsigned offset, unsigned& value) const {
    return backend().CPLXIO_read_reg(space, offset, value);
}

unsigned CPLXIO::write_reg(unsigned space, unsigned offset, unsigned value) const {
    return backend().CPLXIO_write_reg(space, offset, value);
}

unsigned CRfDC::GetCapture_Spectrum_GainOffset_Cal(float& db) const {
    return backend().CRfDC_GetCapture_Spectrum_GainOffset_Cal(db);
}

unsigned CRfDC::GetCapture_IQPower_GainOffset_Cal(float& db) const {
    return backend().CRfDC_GetCapture_IQPower_GainOffset_Cal(db);
}

unsigned CRfAtten::GetPlay_Spectrum_GainOffset_Cal(float& db) const {
    return backend().CRfAtten_GetPlay_Spectrum_GainOffset_Cal(db);
}

unsigned CAD9789::GetArbSymRate(unsigned& rate) const {
    return backend().CAD9789_GetArbSymRate(rate);
}

unsigned CALT_PCI_QSYS::String_Recevie_From_GPS_RxCount(unsigned& count) const {
    return backend().CALT_PCI_QSYS_String_Recevie_From_GPS_RxCount(count);
}

unsigned CALT_PCI_QSYS::String_Recevie_From_GPS_Data(unsigned char* buffer,
                                                     unsigned count) const {
    return backend().CALT_PCI_QSYS_String_Recevie_From_GPS_Data(buffer, count);
}
