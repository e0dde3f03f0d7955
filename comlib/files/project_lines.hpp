#pragma once
// The lines of a project file (".wpj"), as the recorder builds them. The file is UTF-16LE with a
// byte-order mark, written through platform::TextFileWriter; the lines here end "\r\n", which
// that writer turns into CR CR LF on disk. See docs/formats.md.
//
//   line 1     $Ver,1,IQ FileName,<name>,IQ Rate,<rate>,Center,<Hz>,Tracking,1,AGC,<0|1>
//   per second $GAIN,<gain dB>,POWER,<power dBm>,,,TIME,<second from 1>
//              then that second's GPS sentence, if there is one
//
// Thread-safety: free functions without state; safe from any thread.

#include <string>
#include <string_view>

// A line whose first units are these is a gain line / a GPS sentence.
inline constexpr std::u16string_view kGainLinePrefix = u"$GAIN";
inline constexpr std::u16string_view kGpsLinePrefix = u"$GPRMC";

// Line 1, with its "\r\n". `sample_name` is the sample file's name without folder. The first
// generation writes the rate with "%d" (a rate above 2^31 - 1 shows negative), the second with
// "%u"; the centre frequency is "%u" on both.
std::u16string project_header_line(std::u16string_view sample_name, unsigned iq_rate,
                                   bool second_generation, unsigned centre_hz, int agc);

// "$GAIN,%.1f,POWER,%.1f,,,TIME,%d\r\n".
std::u16string gain_line(float gain_db, double power_db, int second);

// What one completed second adds: its gain line, then `gps_sentence` as it came from the
// receiver (it carries its own line end), or nothing more when it is empty.
std::u16string second_lines(float gain_db, double power_db, int second, std::u16string_view gps_sentence);
