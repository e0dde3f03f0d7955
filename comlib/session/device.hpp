#pragma once
// The session library's one device-library object (the library itself is process-wide).

#include "tamrelapi/tamrel_api.hpp"

inline const CTamrelAPI& tm_device() {
    static const CTamrelAPI device;
    return device;
}
