#include "comlib/files/project_lines.hpp"

#include "comlib/files/file_keys.hpp"
#include "platform/text/format.hpp"

std::u16string project_header_line(std::u16string_view sample_name, unsigned iq_rate,
                                   bool second_generation, unsigned centre_hz, int agc) {
    std::u16string line = platform::format(u"%s,%d", project_key(TM_PROJECT_KEY_VERSION), 1);
    platform::format_to(line, u",%s,%s", project_key(TM_PROJECT_KEY_IQ_FILE), sample_name);
    platform::format_to(line, second_generation ? u",%s,%u" : u",%s,%d",
                        project_key(TM_PROJECT_KEY_IQ_RATE), iq_rate);
    platform::format_to(line, u",%s,%u", project_key(TM_PROJECT_KEY_CENTER), centre_hz);
    platform::format_to(line, u",%s,1", project_key(TM_PROJECT_KEY_TRACKING));
    platform::format_to(line, u",%s,%d", project_key(TM_PROJECT_KEY_AGC), agc);
    line += u"\r\n";
    return line;
}

std::u16string gain_line(float gain_db, double power_db, int second) {
    return platform::format(u"$GAIN,%.1f,POWER,%.1f,,,TIME,%d\r\n", gain_db, power_db, second);
}

std::u16string second_lines(float gain_db, double power_db, int second, std::u16string_view gps_sentence) {
    std::u16string lines = gain_line(gain_db, power_db, second);
    platform::format_to(lines, u"%s", gps_sentence);
    return lines;
}
