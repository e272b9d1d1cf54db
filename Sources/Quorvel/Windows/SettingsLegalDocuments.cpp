#include "Windows/SettingsLegalDocuments.h"

#include "Platform/Workspace.h"
#include "Windows/PaletteBinding.h"
#include "Windows/ResourceText.h"
#include "Windows/TextColour.h"
#include "Windows/Typography.h"
#include "Windows/WebsiteAddress.h"

#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

namespace quorvel::SettingsLegalDocuments {

namespace {

const QString headingMarker = QStringLiteral("## ");

// One paragraph style of the document.
struct Piece {
    int points;
    QFont::Weight weight;
    TextColour colour;
    int paragraphSpacing;
    int lineSpacing;
};

constexpr Piece titlePiece{24, QFont::DemiBold, TextColour::label, 8, 0};
constexpr Piece introductionPiece{13, QFont::Normal, TextColour::secondaryLabel, 10, 0};
constexpr Piece datePiece{11, QFont::Medium, TextColour::tertiaryLabel, 24, 0};
constexpr Piece headingPiece{16, QFont::DemiBold, TextColour::label, 7, 0};
constexpr Piece bodyPiece{13, QFont::Normal, TextColour::secondaryLabel, 8, 2};
constexpr Piece linkPiece{12, QFont::Medium, TextColour::link, 24, 0};

class Writer {
public:
    explicit Writer(QTextDocument& document) : cursor_(&document) {}

    void paragraph(const QString& text, const Piece& piece, const QString& link = {}) {
        QTextBlockFormat block;
        block.setBottomMargin(piece.paragraphSpacing);
        if (piece.lineSpacing > 0)
            block.setLineHeight(piece.lineSpacing, QTextBlockFormat::LineDistanceHeight);
        QTextCharFormat characters;
        characters.setFont(Typography::system(piece.points, piece.weight));
        characters.setForeground(resolve(piece.colour));
        if (!link.isEmpty()) {
            characters.setAnchor(true);
            characters.setAnchorHref(link);
            characters.setFontUnderline(true);
        }
        if (first_)
            cursor_.setBlockFormat(block);
        else
            cursor_.insertBlock(block);
        first_ = false;
        cursor_.insertText(text, characters);
    }

private:
    QTextCursor cursor_;
    bool first_ = true;
};

void setInsets(QTextDocument& document) {
    document.setDocumentMargin(0);
    QTextFrameFormat frame = document.rootFrame()->frameFormat();
    frame.setLeftMargin(28);
    frame.setRightMargin(28);
    frame.setTopMargin(26);
    frame.setBottomMargin(26);
    document.rootFrame()->setFrameFormat(frame);
}

Section parseSection(const QString& chunk) {
    const qsizetype lineEnd = chunk.indexOf(QLatin1Char('\n'));
    const QString title = (lineEnd < 0 ? chunk : chunk.left(lineEnd)).trimmed();
    const QString body = lineEnd < 0 ? QString() : chunk.mid(lineEnd + 1).trimmed();
    return {title, body};
}

} // namespace

Document parse(const QString& text) {
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList chunks = (QLatin1Char('\n') + normalised).split(QLatin1Char('\n') + headingMarker);
    Document document;
    document.introduction = chunks.value(0).trimmed();
    for (qsizetype index = 1; index < chunks.size(); ++index)
        document.sections.push_back(parseSection(chunks[index]));
    return document;
}

std::optional<Document> load(const ResourceBundle& bundle, const QString& name) {
    const auto text = ResourceText::read(bundle, name, QStringLiteral("txt"), QStringLiteral("Legal"));
    if (!text)
        return std::nullopt;
    return parse(*text);
}

void format(QTextDocument& target, const QString& title, const QString& introduction,
            const std::optional<QString>& onlineAddress, const std::vector<Section>& sections) {
    target.clear();
    setInsets(target);
    Writer writer(target);
    writer.paragraph(title, titlePiece);
    writer.paragraph(introduction, introductionPiece);
    writer.paragraph(lastUpdated, datePiece);
    for (const Section& section : sections) {
        writer.paragraph(section.title, headingPiece);
        QString body = section.body;
        body.replace(QStringLiteral("\n\n"), QStringLiteral("\n"));
        for (const QString& line : body.split(QLatin1Char('\n')))
            writer.paragraph(line, bodyPiece);
    }
    if (onlineAddress)
        writer.paragraph(onlineCopyTitle, linkPiece, *onlineAddress);
}

QTextBrowser* document(const QString& title, const QString& introduction, const QString& onlinePath,
                       const std::vector<Section>& sections, const std::optional<QString>& websiteBase,
                       Workspace& workspace) {
    const std::optional<QString> onlineAddress =
        websiteBase ? std::optional<QString>(WebsiteAddress::appending(*websiteBase, onlinePath))
                    : std::nullopt;
    auto* view = new QTextBrowser;
    view->setOpenLinks(false);
    view->setOpenExternalLinks(false);
    view->setFrameShape(QFrame::NoFrame);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->viewport()->setAutoFillBackground(false);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard |
                                  Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    QObject::connect(view, &QTextBrowser::anchorClicked, view, [&workspace](const QUrl& url) {
        workspace.openURL(url.toString(QUrl::FullyEncoded), [](bool) {});
    });
    PaletteBinding::bind(view, [view, title, introduction, onlineAddress, sections] {
        QPalette own = view->palette();
        own.setColor(QPalette::Base, Qt::transparent);
        view->setPalette(own);
        format(*view->document(), title, introduction, onlineAddress, sections);
        view->moveCursor(QTextCursor::Start);
    });
    return view;
}

} // namespace quorvel::SettingsLegalDocuments
