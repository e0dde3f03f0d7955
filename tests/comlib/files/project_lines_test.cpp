// The lines the recorder writes into a project file, as text and as bytes on disk.

#include <gtest/gtest.h>

#include <string>

#include "comlib/files/project_lines.hpp"
#include "platform/text/utf.hpp"
#include "recording_folder_fixture.hpp"

namespace {

TEST(ProjectLines, HeaderLineOfEitherGeneration) {
    struct Case {
        std::u16string_view sample;
        unsigned rate;
        bool second_generation;
        unsigned centre;
        int agc;
        std::u16string_view line;
    };
    const Case cases[] = {
        {u"Cap_20170315_142501.iqw", 10'000'000, false, 50'000'000, 0,
         u"$Ver,1,IQ FileName,Cap_20170315_142501.iqw,IQ Rate,10000000,Center,50000000,"
         u"Tracking,1,AGC,0\r\n"},
        {u"a.iqw", 30'000'000, true, 2'700'000'000U, 1,
         u"$Ver,1,IQ FileName,a.iqw,IQ Rate,30000000,Center,2700000000,Tracking,1,AGC,1\r\n"},
        // The first generation prints the rate as a signed int, the second as unsigned.
        {u"a.iqw", 3'000'000'000U, false, 100'000, 0,
         u"$Ver,1,IQ FileName,a.iqw,IQ Rate,-1294967296,Center,100000,Tracking,1,AGC,0\r\n"},
        {u"a.iqw", 3'000'000'000U, true, 100'000, 0,
         u"$Ver,1,IQ FileName,a.iqw,IQ Rate,3000000000,Center,100000,Tracking,1,AGC,0\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(project_header_line(c.sample, c.rate, c.second_generation, c.centre, c.agc), c.line)
            << platform::to_utf8(c.line);
    }
}

TEST(ProjectLines, GainLineHasOneDecimalAndEmptyFields) {
    struct Case {
        float gain;
        double power;
        int second;
        std::u16string_view line;
    };
    const Case cases[] = {
        {0.0F, -39.7, 1, u"$GAIN,0.0,POWER,-39.7,,,TIME,1\r\n"},
        {-10.0F, -55.3, 12, u"$GAIN,-10.0,POWER,-55.3,,,TIME,12\r\n"},
        {3.5F, -100.04, 3600, u"$GAIN,3.5,POWER,-100.0,,,TIME,3600\r\n"},
        {31.96F, 0.05, 2, u"$GAIN,32.0,POWER,0.1,,,TIME,2\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(gain_line(c.gain, c.power, c.second), c.line) << platform::to_utf8(c.line);
}

TEST(ProjectLines, SecondLinesAddTheGpsSentenceAsItCame) {
    const std::u16string_view gps = u"$GPRMC,142502.00,A,5230.1,N,01323.4,E,0.0,0.0,150317,,,A*6C\r\n";
    EXPECT_EQ(second_lines(-1.0F, -40.0, 2, gps), u"$GAIN,-1.0,POWER,-40.0,,,TIME,2\r\n" + std::u16string(gps));
    EXPECT_EQ(second_lines(-1.0F, -40.0, 2, u""), u"$GAIN,-1.0,POWER,-40.0,,,TIME,2\r\n");
}

class ProjectFileBytes : public RecordingFolderTest {};

TEST_F(ProjectFileBytes, WrittenFileIsBomThenLinesEndingCrCrLf) {
    write_project(u"p.wpj", project_header_line(u"s.iqw", 10'000'000, false, 50'000'000, 0) +
                                second_lines(0.0F, -39.7, 1, u"$GPRMC,1\r\n"));
    const std::string bytes = fs_test::read_bytes(posix_path(u"p.wpj"));

    std::string expected = "\xFF\xFE";
    for (const char c : std::string("$Ver,1,IQ FileName,s.iqw,IQ Rate,10000000,Center,50000000,"
                                    "Tracking,1,AGC,0\r\r\n$GAIN,0.0,POWER,-39.7,,,TIME,1\r\r\n"
                                    "$GPRMC,1\r\r\n")) {
        expected.push_back(c);
        expected.push_back('\0');
    }
    EXPECT_EQ(bytes, expected);
}

}  // namespace
