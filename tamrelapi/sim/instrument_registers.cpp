// Register access through the first-generation PCI bridge (CPLXIO).

#include "tamrelapi/sim/arguments.hpp"
#include "tamrelapi/sim/instrument.hpp"
#include "tamrelapi/status.hpp"

namespace tamrel::sim {

unsigned Instrument::CPLXIO_read_reg(unsigned space, unsigned offset, unsigned& value) {
    if (const unsigned refused = enter("CPLXIO::read_reg", Needs::first_open,
                                       arg("space", space) + " " + arg_hex("offset", offset))) {
        return refused;
    }
    return registers_.read(space, offset, value);
}

unsigned Instrument::CPLXIO_write_reg(unsigned space, unsigned offset, unsigned value) {
    if (const unsigned refused =
            enter("CPLXIO::write_reg", Needs::first_open,
                  arg("space", space) + " " + arg_hex("offset", offset) + " " +
                      arg_hex("value", value))) {
        return refused;
    }
    return registers_.write(space, offset, value);
}

}  // namespace tamrel::sim
