#include "App/DottedVersion.h"

#include <QStringList>

namespace quorvel::DottedVersion {

namespace {

// The parts without leading zeros, or nothing when the text is not a dotted version.
std::optional<QStringList> parts(const QString& version) {
    QStringList parts = version.trimmed().split(u'.');
    for (QString& part : parts) {
        if (part.isEmpty())
            return std::nullopt;
        for (const QChar c : part)
            if (c < u'0' || c > u'9')
                return std::nullopt;
        while (part.size() > 1 && part.front() == u'0')
            part.remove(0, 1);
    }
    return parts;
}

// Digit strings without leading zeros order by length, then digit by digit: no overflow on long parts.
std::strong_ordering compareNumbers(const QString& left, const QString& right) {
    if (left.size() != right.size())
        return left.size() <=> right.size();
    const int order = QString::compare(left, right);
    return order <=> 0;
}

} // namespace

std::optional<std::strong_ordering> compare(const QString& left, const QString& right) {
    const auto leftParts = parts(left);
    const auto rightParts = parts(right);
    if (!leftParts || !rightParts)
        return std::nullopt;
    const qsizetype count = std::max(leftParts->size(), rightParts->size());
    const QString zero = QStringLiteral("0");
    for (qsizetype i = 0; i < count; ++i) {
        const auto order = compareNumbers(i < leftParts->size() ? leftParts->at(i) : zero,
                                          i < rightParts->size() ? rightParts->at(i) : zero);
        if (order != 0)
            return order;
    }
    return std::strong_ordering::equal;
}

} // namespace quorvel::DottedVersion
