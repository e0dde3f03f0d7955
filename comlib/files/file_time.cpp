#include "comlib/files/file_time.hpp"

#include "platform/text/scan.hpp"

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kTicksPerMillisecond = 10'000;

constexpr bool is_leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

constexpr int days_in_month(int year, int month) {
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap(year) ? 29 : days[month - 1];
}

// Days from 0000-03-01 of the proleptic Gregorian calendar (eras of 400 years), so the
// difference of two dates is exact for every year a FILETIME can hold.
constexpr std::int64_t day_number(int year, int month, int day) {
    const int y = month <= 2 ? year - 1 : year;
    const int era = y / 400;  // y >= 1600 here, never negative
    const int year_of_era = y - era * 400;
    const int day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return static_cast<std::int64_t>(era) * 146'097 + day_of_era;
}

constexpr std::int64_t kDay1601 = day_number(1601, 1, 1);
static_assert(day_number(1970, 1, 1) - kDay1601 == 134'774, "FILETIME epoch to the Unix epoch");

}  // namespace

std::optional<std::uint64_t> file_time_from_local(const platform::LocalTime& t) {
    if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > days_in_month(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
        t.minute > 59 || t.second < 0 || t.second > 59 || t.millisecond < 0 ||
        t.millisecond > 999) {
        return std::nullopt;
    }
    const std::int64_t days = day_number(t.year, t.month, t.day) - kDay1601;
    const std::int64_t seconds = ((days * 24 + t.hour) * 60 + t.minute) * 60 + t.second;
    return static_cast<std::uint64_t>(seconds * kTicksPerSecond + t.millisecond * kTicksPerMillisecond);
}

std::uint64_t name_time_stamp(std::u16string_view name) {
    platform::LocalTime t;
    if (platform::scan(name, u"%04d%02d%02d_%02d%02d%02d", &t.year, &t.month, &t.day, &t.hour,
                       &t.minute, &t.second) != 6) {
        return 0;
    }
    return file_time_from_local(t).value_or(0);
}
