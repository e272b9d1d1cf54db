#pragma once

#include <QString>
#include <optional>
#include <vector>

class QTextBrowser;
class QTextDocument;

namespace quorvel {

class ResourceBundle;
class Workspace;

// The Privacy Policy and Terms & Conditions pages of the settings window, formatted from the documents
// in the bundle's "Legal" folder.
namespace SettingsLegalDocuments {

struct Section {
    QString title;
    QString body; // paragraphs separated by blank lines

    bool operator==(const Section&) const = default;
};

struct Document {
    QString introduction;
    std::vector<Section> sections;

    bool operator==(const Document&) const = default;
};

inline const QString lastUpdated = QStringLiteral("Last updated: 22 September 2026");
inline const QString onlineCopyTitle = QStringLiteral("View the current online copy \u2197");

// A document file: the introduction, then each section as a line "## Title" followed by its body.
Document parse(const QString& text);
// "Legal/NAME.txt" of the bundle; none when it is missing or unreadable.
std::optional<Document> load(const ResourceBundle& bundle, const QString& name);

// Writes the formatted document into `target`: title, introduction, date line, the sections and, when
// there is an online address, the link to it.
void format(QTextDocument& target, const QString& title, const QString& introduction,
            const std::optional<QString>& onlineAddress, const std::vector<Section>& sections);

// The scrolling, selectable page. The online link is the website's base address with `onlinePath`
// appended, opened through the workspace; without a base address there is no link.
QTextBrowser* document(const QString& title, const QString& introduction, const QString& onlinePath,
                       const std::vector<Section>& sections, const std::optional<QString>& websiteBase,
                       Workspace& workspace);

} // namespace SettingsLegalDocuments
} // namespace quorvel
