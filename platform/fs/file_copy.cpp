#include "platform/fs/file_copy.hpp"

#include "platform/fs/file.hpp"
#include "platform/fs/fs_error.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace platform::fs_detail {

namespace {
constexpr std::size_t copy_chunk = 256 * 1024;
}

Status copy_file_contents(const std::string& from, const std::string& to, bool overwrite) {
    auto source = File::open(from, FileMode::read);
    if (!source) return source.status();
    struct stat src_st {};
    if (::fstat(source->native_handle(), &src_st) != 0) return errno_status(errno, "copy (stat)", from);
    struct stat dst_st {};
    if (::stat(to.c_str(), &dst_st) == 0 && dst_st.st_dev == src_st.st_dev && dst_st.st_ino == src_st.st_ino)
        return path_status(Errc::invalid_argument, "copy", to, "source and target are the same file");

    auto target = File::open(to, overwrite ? FileMode::write : FileMode::create_new, src_st.st_mode & 07777);
    if (!target) return target.status();
    const auto fail = [&](Status why) {
        (void)target->close();
        ::unlink(to.c_str());
        return why;
    };
    std::vector<unsigned char> chunk(copy_chunk);
    for (;;) {
        auto n = source->read(chunk.data(), chunk.size());
        if (!n) return fail(n.status());
        if (*n == 0) break;
        if (Status s = target->write_all(chunk.data(), *n); !s) return fail(s);
    }
    const struct timespec times[2] = {src_st.st_atim, src_st.st_mtim};
    if (::futimens(target->native_handle(), times) != 0) return fail(errno_status(errno, "copy (set time)", to));
    if (Status s = target->close(); !s) {
        ::unlink(to.c_str());
        return s;
    }
    return source->close();
}

}  // namespace platform::fs_detail
