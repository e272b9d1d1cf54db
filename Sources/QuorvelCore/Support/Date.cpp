#include "Support/Date.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace quorvel {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthPrime = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthPrime + 2) / 5 + 1;
    month = monthPrime < 10 ? monthPrime + 3 : monthPrime - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

bool isLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned daysInMonth(std::int64_t year, unsigned month) {
    static constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool digits(std::size_t count, int& value) {
        if (position_ + count > text_.size())
            return false;
        value = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const char c = text_[position_ + i];
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + (c - '0');
        }
        position_ += count;
        return true;
    }
    bool literal(char c) {
        if (position_ < text_.size() && text_[position_] == c) {
            ++position_;
            return true;
        }
        return false;
    }
    bool peek(char c) const { return position_ < text_.size() && text_[position_] == c; }
    // One or more digits after a '.', as a fraction of a second.
    bool fraction(double& value) {
        const std::size_t start = position_;
        double scale = 0.1;
        value = 0;
        while (position_ < text_.size() && text_[position_] >= '0' && text_[position_] <= '9') {
            value += (text_[position_] - '0') * scale;
            scale /= 10;
            ++position_;
        }
        return position_ > start;
    }
    bool atEnd() const { return position_ == text_.size(); }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

enum class FractionRule { forbidden, required };

std::optional<Date> parse(std::string_view text, FractionRule rule) {
    Scanner scanner(text);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!scanner.digits(4, year) || !scanner.literal('-') || !scanner.digits(2, month) ||
        !scanner.literal('-') || !scanner.digits(2, day) || !scanner.literal('T') ||
        !scanner.digits(2, hour) || !scanner.literal(':') || !scanner.digits(2, minute) ||
        !scanner.literal(':') || !scanner.digits(2, second))
        return std::nullopt;
    double fraction = 0;
    if (rule == FractionRule::required) {
        if (!scanner.literal('.') || !scanner.fraction(fraction))
            return std::nullopt;
    } else if (scanner.peek('.')) {
        return std::nullopt;
    }
    int offsetSeconds = 0;
    if (!scanner.literal('Z')) {
        int sign = 0;
        if (scanner.literal('+'))
            sign = 1;
        else if (scanner.literal('-'))
            sign = -1;
        else
            return std::nullopt;
        int offsetHours = 0, offsetMinutes = 0;
        if (!scanner.digits(2, offsetHours) || !scanner.literal(':') || !scanner.digits(2, offsetMinutes) ||
            offsetHours > 23 || offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = sign * (offsetHours * 3600 + offsetMinutes * 60);
    }
    if (!scanner.atEnd())
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || static_cast<unsigned>(day) > daysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const std::int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const double unix =
        static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second - offsetSeconds);
    const Date date = Date::fromUnix(unix + fraction);
    if (!Iso8601::isRepresentable(date))
        return std::nullopt;
    return date;
}

} // namespace

namespace Iso8601 {

bool isRepresentable(Date date) {
    return date >= earliest && date <= latest;
}

std::optional<Date> parseWholeSeconds(std::string_view text) {
    return parse(text, FractionRule::forbidden);
}

std::optional<Date> parseFractionalSeconds(std::string_view text) {
    return parse(text, FractionRule::required);
}

std::optional<Date> parseFractionalOrWholeSeconds(std::string_view text) {
    if (auto date = parseFractionalSeconds(text))
        return date;
    return parseWholeSeconds(text);
}

std::string formatWholeSeconds(Date date) {
    const auto unix = static_cast<std::int64_t>(std::floor(date.unixSeconds()));
    std::int64_t days = unix / 86400;
    std::int64_t secondsOfDay = unix % 86400;
    if (secondsOfDay < 0) {
        secondsOfDay += 86400;
        days -= 1;
    }
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days, year, month, day);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ",
                  static_cast<long long>(year), month, day, static_cast<long long>(secondsOfDay / 3600),
                  static_cast<long long>(secondsOfDay / 60 % 60), static_cast<long long>(secondsOfDay % 60));
    return buffer;
}

} // namespace Iso8601
} // namespace quorvel
