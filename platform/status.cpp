#include "platform/status.hpp"

#include <cerrno>
#include <cstring>

namespace platform {

const char* errc_name(Errc code) {
    switch (code) {
        case Errc::ok: return "ok";
        case Errc::invalid_argument: return "invalid argument";
        case Errc::invalid_path: return "invalid path";
        case Errc::escapes_root: return "path escapes the drive roots";
        case Errc::no_drive: return "no such drive";
        case Errc::not_found: return "not found";
        case Errc::exists: return "already exists";
        case Errc::access_denied: return "access denied";
        case Errc::no_space: return "no space left";
        case Errc::io_error: return "I/O error";
        case Errc::closed: return "closed";
        case Errc::timeout: return "timed out";
        case Errc::unsupported: return "not supported";
    }
    return "unknown";
}

Status Status::from_errno(int err, std::string what) {
    Errc code = Errc::io_error;
    switch (err) {
        case ENOENT: case ENOTDIR: code = Errc::not_found; break;
        case EEXIST: case ENOTEMPTY: code = Errc::exists; break;
        case EACCES: case EPERM: case EROFS: code = Errc::access_denied; break;
        case ENOSPC: case EDQUOT: code = Errc::no_space; break;
        case EINVAL: case ENAMETOOLONG: code = Errc::invalid_argument; break;
        case EBADF: code = Errc::closed; break;
        case ETIMEDOUT: case EAGAIN: code = Errc::timeout; break;
        case ENOTSUP: code = Errc::unsupported; break;
        default: break;
    }
    std::string message = std::move(what);
    message += ": ";
    message += std::strerror(err);
    return {code, std::move(message), err};
}

std::string Status::describe() const {
    if (ok()) return "ok";
    std::string text = errc_name(code_);
    if (!message_.empty()) {
        text += ": ";
        text += message_;
    }
    return text;
}

}  // namespace platform
