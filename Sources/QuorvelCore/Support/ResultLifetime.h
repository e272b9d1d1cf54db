#pragma once

#include "Support/Date.h"

#include <algorithm>
#include <limits>

namespace quorvel {

// How long a result computed at one moment stays what it is while none of its files changes. Each rule
// that compares a time with `now` (a day's window, a tolerance for times in the future, an ageing) and
// could decide otherwise later names the moment from which it could; the earliest of them ends the
// result's life.
class ResultLifetime {
public:
    // A rule may decide otherwise from `moment` on.
    void endsBy(Date moment) { end_ = std::min(end_, moment); }

    // Whether a result computed at `start` is still what it would be at `now`. Time rules subtract dates
    // in floating point, so a second is kept in hand before each moment; a clock set back starts anew.
    bool holds(Date start, Date now) const { return now >= start && now < end_ - margin; }

    Date end() const { return end_; }

private:
    static constexpr double margin = 1;
    Date end_{std::numeric_limits<double>::infinity()};
};

} // namespace quorvel
