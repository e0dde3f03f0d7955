// The host program's version, carried in its executable for the session library to report.

#include "platform/host/fixed_file_info.hpp"

TAMREL_FIXED_FILE_INFO(TAMREL_VERSION_MAJOR, TAMREL_VERSION_MINOR, TAMREL_VERSION_PATCH, 0);
