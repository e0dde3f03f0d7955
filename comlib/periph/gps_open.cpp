// Opening and closing the GPS receiver: the serial port COM5 of a first-generation instrument, or
// the board's GPS interface of a second-generation one. Sentences are read and parsed by the GPS
// reader, which arrives with GPS support; opening only takes the receiver into use.

#include <cstdio>
#include <vector>

#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/serial/serial_devices.hpp"
#include "platform/sys/time.hpp"
#include "tamrelapi/alt_pci_qsys.hpp"

namespace {
constexpr unsigned kGpsChunkBytes = 50'000;
}

int CTamrelComMFC::OpenSerial() {
    if (setting_.get(&_TmSettingBlock_t::GPS) == 1) return 0;
    auto port = std::make_unique<platform::SerialPort>();
    platform::SerialConfig config;  // 9600 baud, no parity, 8 data bits, 1 stop bit, no handshake
    if (!port->open(platform::serial_device_path("COM5")).ok() || !port->configure(config).ok()) {
        std::fputs("\nGPS Port Fail", stdout);
        std::fflush(stdout);
        setting_.set(&_TmSettingBlock_t::GPS, 0);
        return 1;
    }
    (void)port->purge(platform::PurgeWhat::both);
    (void)port->set_dtr(true);  // pseudo-terminals have no modem lines
    gps_port_ = std::move(port);
    gps_run_.store(1);
    setting_.set(&_TmSettingBlock_t::GPS, 1);
    return 0;
}

int CTamrelComMFC::CloseSerial() {
    if (setting_.get(&_TmSettingBlock_t::GPS) == 1 && gps_run_.load() == 1 && gps_port_) {
        gps_run_.store(0);
        (void)gps_port_->set_dtr(false);
        (void)gps_port_->purge(platform::PurgeWhat::both);
        gps_port_->close();
    }
    setting_.set(&_TmSettingBlock_t::GPS, 0);
    return 1;
}

int CTamrelComMFC::Tm2GPSOpen() {
    unsigned count = 0;
    if (gc_AltPciQSys.String_Recevie_From_GPS_RxCount(count) != 0 || count == 0) return 1;
    setting_.set(&_TmSettingBlock_t::GPS, 1);
    // What arrived before anyone listened is taken off the board; the GPS reader parses it once
    // GPS support exists.
    std::vector<unsigned char> accumulator(std::min(count, kGpsChunkBytes));
    (void)gc_AltPciQSys.String_Recevie_From_GPS_Data(accumulator.data(),
                                                      static_cast<unsigned>(accumulator.size()));
    return 0;
}
