#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// A point in time: seconds since 2001-01-01 00:00:00 UTC, as stored in the records.
struct Date {
    double seconds = 0;

    static constexpr double unixOffset = 978307200.0; // 1970 -> 2001
    static Date distantPast() { return Date{-63114076800.0}; }
    static Date fromUnix(double unixSeconds) { return Date{unixSeconds - unixOffset}; }
    static Date fromUnixMilliseconds(double ms) { return fromUnix(ms / 1000.0); }
    double unixSeconds() const { return seconds + unixOffset; }

    Date operator+(double interval) const { return Date{seconds + interval}; }
    Date operator-(double interval) const { return Date{seconds - interval}; }
    double operator-(Date other) const { return seconds - other.seconds; }
    auto operator<=>(const Date&) const = default;
    bool operator==(const Date&) const = default;
};

// ISO-8601 date-times in the internet form: 2026-03-01T09:30:00Z, or with a +hh:mm / -hh:mm offset.
// Only moments from 0001-01-01T00:00:00Z to 9999-12-31T23:59:59Z are dates: an offset can move a text
// outside the years that the four-digit form writes back, and such a text is rejected like any other
// invalid date.
namespace Iso8601 {
inline constexpr Date earliest{-63113904000.0}; // 0001-01-01T00:00:00Z
inline constexpr Date latest{252423993599.0};   // 9999-12-31T23:59:59Z
// Whether the date lies from `earliest` to `latest`: what formatWholeSeconds writes back faithfully.
bool isRepresentable(Date date);

// Whole seconds only; a fraction makes the text invalid.
std::optional<Date> parseWholeSeconds(std::string_view text);
// Fractional seconds required (2026-03-01T09:30:00.123Z).
std::optional<Date> parseFractionalSeconds(std::string_view text);
// Fractional seconds first, then whole seconds.
std::optional<Date> parseFractionalOrWholeSeconds(std::string_view text);
// UTC, whole seconds (the fraction is dropped, rounding towards the past): 2026-03-01T09:30:00Z.
// Writers check isRepresentable first: outside it the text would not parse again.
std::string formatWholeSeconds(Date date);
} // namespace Iso8601

} // namespace quorvel
