#include "platform/net/ipv4_address.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>

namespace platform {

Result<std::uint32_t> parse_ipv4(std::string_view text) {
    // inet_pton needs a terminated string (so an embedded NUL must not cut the text short) and,
    // unlike inet_aton, accepts only the four-part decimal form.
    const std::string terminated(text);
    in_addr address{};
    if (terminated.find('\0') != std::string::npos ||
        ::inet_pton(AF_INET, terminated.c_str(), &address) != 1) {
        return Status(Errc::invalid_argument, "not an IPv4 address: \"" + terminated + "\"");
    }
    return std::uint32_t{address.s_addr};
}

std::string format_ipv4(std::uint32_t address_be) {
    in_addr address{};
    address.s_addr = address_be;
    char text[INET_ADDRSTRLEN] = {};
    // Cannot fail: the family is supported and the buffer is the documented size.
    (void)::inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

}  // namespace platform
