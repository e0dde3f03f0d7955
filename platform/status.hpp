#pragma once
// Status and Result: how every platform call reports its outcome. Nothing in the platform layer
// throws across its interface; a failed system call becomes a Status carrying errno and a short
// text that says what was attempted.

#include <string>
#include <utility>
#include <variant>

namespace platform {

enum class Errc {
    ok = 0,
    invalid_argument,  // the caller's value cannot be used (bad format, out of range)
    invalid_path,      // a path that is not a well-formed drive path or bare name
    escapes_root,      // a path that would leave the drive roots
    no_drive,          // the drive letter has no folder
    not_found,
    exists,
    access_denied,
    no_space,
    io_error,
    closed,            // the object was closed (possibly by another thread)
    timeout,
    unsupported,
};

// Short stable name of a code, for messages and test output.
const char* errc_name(Errc code);

class Status {
public:
    Status() = default;
    Status(Errc code, std::string message, int sys_errno = 0)
        : code_(code), sys_errno_(sys_errno), message_(std::move(message)) {}

    static Status from_errno(int err, std::string what);

    bool ok() const { return code_ == Errc::ok; }
    explicit operator bool() const { return ok(); }
    Errc code() const { return code_; }
    int sys_errno() const { return sys_errno_; }
    const std::string& message() const { return message_; }
    // "<code>: <message>" or "ok".
    std::string describe() const;

private:
    Errc code_ = Errc::ok;
    int sys_errno_ = 0;
    std::string message_;
};

inline Status ok_status() { return {}; }

// A value or the Status that explains why there is none.
template <typename T>
class Result {
public:
    Result(T value) : v_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
    Result(Status status) : v_(std::move(status)) {}  // NOLINT(google-explicit-constructor)

    bool ok() const { return std::holds_alternative<T>(v_); }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<T>(v_); }
    const T& value() const& { return std::get<T>(v_); }
    T&& value() && { return std::get<T>(std::move(v_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    // The failure; an ok Status when a value is held.
    Status status() const { return ok() ? Status{} : std::get<Status>(v_); }

private:
    std::variant<T, Status> v_;
};

}  // namespace platform
