#include "comlib/files/text_numbers.hpp"

#include "platform/text/scan.hpp"

#include <limits>

namespace {

bool is_blank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// Decimal digits after optional blanks and sign, saturated to [lowest, highest].
std::int64_t read_decimal(std::u16string_view text, std::int64_t lowest, std::int64_t highest) {
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Accumulated toward the sign's limit, so the most negative value needs no special case.
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        const std::int64_t digit = text[i] - u'0';
        if (negative) {
            if (value < (lowest + digit) / 10) return lowest;
            value = value * 10 - digit;
        } else {
            if (value > (highest - digit) / 10) return highest;
            value = value * 10 + digit;
        }
    }
    return value;
}

}  // namespace

std::int32_t text_to_int32(std::u16string_view text) {
    return static_cast<std::int32_t>(read_decimal(text, std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max()));
}

std::int64_t text_to_int64(std::u16string_view text) {
    return read_decimal(text, std::numeric_limits<std::int64_t>::min(),
                        std::numeric_limits<std::int64_t>::max());
}

double text_to_double(std::u16string_view text) {
    // The scanner's floating field is strtod's longest prefix in the C locale; on a field with
    // no number it assigns nothing and the value stays 0.
    double value = 0.0;
    (void)platform::scan(text, u"%lf", &value);
    return value;
}

std::vector<std::u16string_view> non_empty_fields(std::u16string_view line) {
    std::vector<std::u16string_view> fields;
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t comma = line.find(u',', start);
        if (comma == std::u16string_view::npos) comma = line.size();
        if (comma > start) fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
    return fields;
}
