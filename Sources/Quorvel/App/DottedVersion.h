#pragma once

#include <QString>
#include <compare>
#include <optional>

namespace quorvel::DottedVersion {

// Compares two versions part by part as whole numbers ("1.10" is newer than "1.9"; missing parts count
// as 0, so "2" equals "2.0"). Nothing when either is not digits separated by single dots.
std::optional<std::strong_ordering> compare(const QString& left, const QString& right);

} // namespace quorvel::DottedVersion
