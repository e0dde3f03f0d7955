#include "platform/fs/fs_error.hpp"

namespace platform::fs_detail {

namespace {
std::string describe_target(std::string_view op, std::string_view path) {
    std::string what(op);
    what += " \"";
    what += path;
    what += '"';
    return what;
}
}  // namespace

Status errno_status(int err, std::string_view op, std::string_view path) {
    return Status::from_errno(err, describe_target(op, path));
}

Status path_status(Errc code, std::string_view op, std::string_view path, std::string_view why) {
    std::string what = describe_target(op, path);
    what += ": ";
    what += why;
    return {code, std::move(what)};
}

}  // namespace platform::fs_detail
