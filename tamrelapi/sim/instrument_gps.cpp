// GPS text of the second-generation board (CALT_PCI_QSYS): the bytes its GPS receiver sent.

#include "tamrelapi/sim/arguments.hpp"
#include "tamrelapi/sim/instrument.hpp"
#include "tamrelapi/status.hpp"

namespace tamrel::sim {

unsigned Instrument::CALT_PCI_QSYS_String_Recevie_From_GPS_RxCount(unsigned& count) {
    // The FIFO never holds more than GpsText::default_capacity bytes, so the count fits.
    return get("CALT_PCI_QSYS::String_Recevie_From_GPS_RxCount", Needs::second_open, count,
               [this] { return static_cast<unsigned>(gps_text_.waiting()); });
}

unsigned Instrument::CALT_PCI_QSYS_String_Recevie_From_GPS_Data(unsigned char* buffer,
                                                                unsigned count) {
    if (const unsigned refused = enter("CALT_PCI_QSYS::String_Recevie_From_GPS_Data",
                                       Needs::second_open, arg("count", count))) {
        return refused;
    }
    if (count == 0) return api::status_ok;
    if (buffer == nullptr) return api::status_invalid_argument;
    gps_text_.take(buffer, count);
    return api::status_ok;
}

}  // namespace tamrel::sim
