#pragma once
// The fixed file-information record a program carries to state its version, as the session
// library looks for it in the running executable: the signature bytes BD 04 EF FE, a structure
// version, then the file version as two words (major << 16 | minor, build << 16 | revision) and
// the product version likewise.
//
// A program states its version with TAMREL_FIXED_FILE_INFO(major, minor, build, revision) in one
// of its own source files.

#include <cstdint>

namespace platform {

struct FixedFileInfo {
    std::uint32_t signature;
    std::uint32_t struct_version;
    std::uint32_t file_version_ms;
    std::uint32_t file_version_ls;
    std::uint32_t product_version_ms;
    std::uint32_t product_version_ls;
};

inline constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;  // bytes BD 04 EF FE

constexpr FixedFileInfo make_fixed_file_info(unsigned major, unsigned minor, unsigned build,
                                             unsigned revision) {
    const std::uint32_t ms = (major & 0xFFFFU) << 16 | (minor & 0xFFFFU);
    const std::uint32_t ls = (build & 0xFFFFU) << 16 | (revision & 0xFFFFU);
    return {kFixedFileInfoSignature, 0x00010000U, ms, ls, ms, ls};
}

}  // namespace platform

// Kept by the linker although nothing refers to it: it is found by searching the file.
#define TAMREL_FIXED_FILE_INFO(major, minor, build, revision)                              \
    extern "C" __attribute__((used)) const platform::FixedFileInfo tamrel_fixed_file_info = \
        platform::make_fixed_file_info(major, minor, build, revision)
