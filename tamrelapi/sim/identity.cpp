#include "tamrelapi/sim/identity.hpp"

namespace tamrel::sim {

Identity default_identity(api::DeviceKind kind) {
    Identity id;
    id.library_version = u"TamrelAPI Ver 1.0.0.0 (simulated instrument)";
    if (kind == api::DeviceKind::first_generation) {
        id.fpga_version = make_version(1, 5, 0, 3);
        id.pcb_version = 1;
        id.attenuator_id = make_version(0x41, 1, 0, 2);
        id.down_converter_id = make_version(0x44, 1, 0, 3);
        id.serial_number = "TM10260001";
        return id;
    }
    // The oldest firmware a variant-1 board may run, so a fresh board needs no update.
    id.fpga_version = make_version(2, 0, 3, 1);
    id.pump_fpga_version = make_version(2, 1, 1, 2);
    id.dsp_nios_version = make_version(1, 1, 0, 2);
    id.pcb_version = 2;
    id.attenuator_id = make_version(0x41, 2, 0, 1);
    id.down_converter_id = make_version(0x44, 2, 0, 1);
    id.up_converter_id = make_version(0x55, 2, 0, 1);
    id.serial_number = "TM20260001";
    return id;
}

}  // namespace tamrel::sim
