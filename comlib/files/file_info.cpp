#include "comlib/files/file_info.hpp"

#include <algorithm>

bool set_file_info_name(char16_t (&field)[kFileInfoNameUnits], std::u16string_view name) {
    if (name.size() >= kFileInfoNameUnits) return false;
    std::fill(std::begin(field), std::end(field), u'\0');
    std::copy(name.begin(), name.end(), field);
    return true;
}

std::u16string_view file_info_name(const char16_t (&field)[kFileInfoNameUnits]) {
    const std::u16string_view all(field, kFileInfoNameUnits);
    return all.substr(0, all.find(u'\0'));
}
