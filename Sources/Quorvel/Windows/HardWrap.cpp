#include "Windows/HardWrap.h"

#include <QStringList>
#include <algorithm>

namespace quorvel::HardWrap {

namespace {

// Longer lines were never wrapped at a width; a paragraph narrower than this share of the text's width
// is laid out by hand; a line this share of its paragraph's width or longer was broken only to keep it
// short; text indented this far is centred.
constexpr qsizetype longestWrappedLine = 100;
constexpr double proseShare = 0.6;
constexpr double fullLineShare = 0.75;
constexpr qsizetype centredIndentation = 16;

qsizetype indentation(const QString& line) {
    qsizetype spaces = 0;
    while (spaces < line.size() && line[spaces] == u' ')
        ++spaces;
    return spaces;
}

bool isRomanNumeral(QStringView marker) {
    return marker.size() <= 4 && std::all_of(marker.begin(), marker.end(),
                                             [](QChar c) { return c == u'i' || c == u'v' || c == u'x'; });
}

// "0. ", "12) ", "(a) ", "b) ", "(iv) ", "- ", "* ", "• ".
bool startsListItem(QStringView line) {
    if (line.size() >= 2 && (line[0] == u'-' || line[0] == u'*' || line[0] == u'\u2022') && line[1] == u' ')
        return true;
    QStringView rest = line.startsWith(u'(') ? line.mid(1) : line;
    const qsizetype space = rest.indexOf(u' ');
    if (space < 2)
        return false;
    const QChar closing = rest[space - 1];
    if (closing != u'.' && closing != u')')
        return false;
    const QStringView marker = rest.first(space - 1);
    const bool number =
        marker.size() <= 2 && std::all_of(marker.begin(), marker.end(), [](QChar c) { return c.isDigit(); });
    const bool letter = marker.size() == 1 && marker[0].isLetter();
    return number || letter || isRomanNumeral(marker);
}

qsizetype longestLine(const QStringList& lines) {
    qsizetype longest = 0;
    for (const QString& line : lines)
        if (line.size() <= longestWrappedLine)
            longest = std::max(longest, line.size());
    return longest;
}

bool continues(const QString& previous, const QString& line, qsizetype paragraphWidth) {
    const QStringView words = QStringView(line).trimmed();
    return previous.size() >= fullLineShare * static_cast<double>(paragraphWidth) && !startsListItem(words) &&
           !words.startsWith(u"Copyright") && indentation(previous) < centredIndentation &&
           indentation(line) < centredIndentation;
}

// Joins the lines of one paragraph (no blank line inside) that continue the line before.
void appendParagraph(QStringList& paragraph, qsizetype textWidth, QStringList& output) {
    if (paragraph.isEmpty())
        return;
    const qsizetype width = longestLine(paragraph);
    const bool prose = std::all_of(paragraph.begin(), paragraph.end(),
                                   [](const QString& line) { return line.size() <= longestWrappedLine; }) &&
                       width >= proseShare * static_cast<double>(textWidth);
    output << paragraph.front();
    for (qsizetype index = 1; index < paragraph.size(); ++index) {
        if (prose && continues(paragraph[index - 1], paragraph[index], width))
            output.back() += u' ' + paragraph[index].trimmed();
        else
            output << paragraph[index];
    }
    paragraph.clear();
}

} // namespace

QString joined(const QString& text) {
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
    const qsizetype textWidth = longestLine(lines);

    QStringList output;
    QStringList paragraph;
    for (const QString& line : lines) {
        if (!line.isEmpty()) {
            paragraph << line;
            continue;
        }
        appendParagraph(paragraph, textWidth, output);
        output << line;
    }
    appendParagraph(paragraph, textWidth, output);
    return output.join(u'\n');
}

} // namespace quorvel::HardWrap
