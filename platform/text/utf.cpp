#include "platform/text/utf.hpp"

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void append_utf8(std::string& out, char32_t cp) {
    auto put = [&out](unsigned value) { out.push_back(static_cast<char>(value)); };
    if (cp < 0x80) {
        put(static_cast<unsigned>(cp));
    } else if (cp < 0x800) {
        put(0xC0U | static_cast<unsigned>(cp >> 6));
        put(0x80U | static_cast<unsigned>(cp & 0x3F));
    } else if (cp < 0x10000) {
        put(0xE0U | static_cast<unsigned>(cp >> 12));
        put(0x80U | static_cast<unsigned>((cp >> 6) & 0x3F));
        put(0x80U | static_cast<unsigned>(cp & 0x3F));
    } else {
        put(0xF0U | static_cast<unsigned>(cp >> 18));
        put(0x80U | static_cast<unsigned>((cp >> 12) & 0x3F));
        put(0x80U | static_cast<unsigned>((cp >> 6) & 0x3F));
        put(0x80U | static_cast<unsigned>(cp & 0x3F));
    }
}

void append_utf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

}  // namespace

std::string to_utf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            char32_t cp = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00U);
            append_utf8(out, cp);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            append_utf8(out, kReplacement);
        } else {
            append_utf8(out, unit);
        }
    }
    return out;
}

std::u16string from_utf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (byte < 0x80) {
            cp = byte;
        } else if ((byte & 0xE0) == 0xC0) {
            extra = 1; cp = byte & 0x1FU; min = 0x80;
        } else if ((byte & 0xF0) == 0xE0) {
            extra = 2; cp = byte & 0x0FU; min = 0x800;
        } else if ((byte & 0xF8) == 0xF0) {
            extra = 3; cp = byte & 0x07U; min = 0x10000;
        } else {
            out.push_back(static_cast<char16_t>(kReplacement));
            ++i;
            continue;
        }
        std::size_t taken = 1;
        bool valid = true;
        for (; taken <= extra; ++taken) {
            if (i + taken >= text.size() ||
                (static_cast<unsigned char>(text[i + taken]) & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + taken]) & 0x3FU);
        }
        if (!valid || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(static_cast<char16_t>(kReplacement));
            i += taken;  // the lead byte and the continuation bytes seen so far
            continue;
        }
        append_utf16(out, cp);
        i += taken;
    }
    return out;
}

std::u16string from_latin1(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace platform
