#include "tamrelapi/backend.hpp"

#include "tamrelapi/sim/instrument.hpp"

namespace tamrel::api {

Backend& backend() { return sim::instrument(); }

}  // namespace tamrel::api
