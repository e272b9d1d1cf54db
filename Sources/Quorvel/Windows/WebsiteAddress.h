#pragma once

#include <QString>
#include <optional>

namespace quorvel {

// The product website that the legal pages link to, configured at build time.
namespace WebsiteAddress {

// The configured base address when it is an absolute http or https address; none otherwise (an empty
// setting means the build has no website).
std::optional<QString> base(const QString& configured);

// The base address with one path component appended ("https://example.com/legal" + "privacy" is
// "https://example.com/legal/privacy").
QString appending(const QString& base, const QString& component);

} // namespace WebsiteAddress
} // namespace quorvel
