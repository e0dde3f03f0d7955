// The version this test program carries, for the session's version query.

#include "platform/host/fixed_file_info.hpp"

TAMREL_FIXED_FILE_INFO(3, 4, 5, 6);
