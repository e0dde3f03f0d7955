#pragma once
// The size figures of a drive as the system reports them: whole gigabytes (2^30 bytes) of the
// volume's total and free space, each the byte count divided by 2^30 in double precision and
// truncated, and the used gigabytes as total minus free.
//
// Thread-safety: free functions; safe from any thread (the drive table is thread-safe).

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/fs/drive_table.hpp"

struct DriveSizesGb {
    int total = 0;
    int free = 0;
    int used = 0;
};

// Whole gigabytes in `bytes`, truncated; saturates at the largest int instead of overflowing.
int whole_gigabytes(std::uint64_t bytes);

// The figures of the drive that holds `path` (a drive root such as "D:\" or any path on it);
// empty when the path names no present drive or its space cannot be read.
std::optional<DriveSizesGb> drive_sizes_gb(const platform::DriveTable& drives, std::u16string_view path);
