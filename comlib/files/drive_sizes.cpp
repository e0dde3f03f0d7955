#include "comlib/files/drive_sizes.hpp"

#include <limits>

int whole_gigabytes(std::uint64_t bytes) {
    constexpr double kBytesPerGigabyte = 1073741824.0;  // 2^30
    const double gigabytes = static_cast<double>(bytes) / kBytesPerGigabyte;
    // Converting a double beyond the range of int is undefined; no volume is that large, but a
    // declared capacity may say so.
    if (gigabytes >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(gigabytes);
}

std::optional<DriveSizesGb> drive_sizes_gb(const platform::DriveTable& drives, std::u16string_view path) {
    const auto parts = drives.resolve_parts(path);
    if (!parts) return std::nullopt;
    const auto space = drives.space(static_cast<char16_t>(parts->letter));
    if (!space) return std::nullopt;
    DriveSizesGb sizes;
    sizes.total = whole_gigabytes(space->total_bytes);
    sizes.free = whole_gigabytes(space->free_bytes);
    sizes.used = sizes.total - sizes.free;
    return sizes;
}
