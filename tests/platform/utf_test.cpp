#include "platform/text/utf.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Utf, RoundTripsBmpAndSupplementaryCharacters) {
    const std::u16string text = u"D:\\TamrelData\\Über-€-\U0001F600";
    EXPECT_EQ(platform::from_utf8(platform::to_utf8(text)), text);
    EXPECT_EQ(platform::to_utf8(u"\u00DC"), "\xC3\x9C");
    EXPECT_EQ(platform::to_utf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(Utf, MalformedInputBecomesReplacementCharacter) {
    struct Case {
        std::string utf8;
        std::u16string expected;
    };
    const Case cases[] = {
        {"a\xFF" "b", u"a\uFFFDb"},
        {"\xC3", u"\uFFFD"},                 // truncated sequence
        {"\xC0\x80", u"\uFFFD"},             // overlong NUL
        {"\xED\xA0\x80", u"\uFFFD"},         // encoded surrogate
        {"\xE2\x82" "x", u"\uFFFDx"},        // continuation missing
    };
    for (const auto& c : cases) EXPECT_EQ(platform::from_utf8(c.utf8), c.expected) << c.utf8;
    const char16_t lone[] = {u'a', 0xD800, u'b', 0};
    EXPECT_EQ(platform::to_utf8(lone), "a\xEF\xBF\xBD" "b");
}

TEST(Utf, Latin1MapsEachByteToOneUnit) {
    EXPECT_EQ(platform::from_latin1(std::string("A\xE9\x00Z", 4)), std::u16string(u"A\u00E9\0Z", 4));
}

}  // namespace
