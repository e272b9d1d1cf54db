#include "Windows/LicenceTexts.h"

#include "Windows/CardBox.h"
#include "Windows/HardWrap.h"
#include "Windows/PaletteBinding.h"
#include "Windows/ResourceText.h"
#include "Windows/TextColour.h"
#include "Windows/Typography.h"

#include <QPlainTextEdit>

namespace quorvel::LicenceTexts {

namespace {
const QString blankLine = QStringLiteral("\n\n");
const QString licences = QStringLiteral("Licences");
const QString txt = QStringLiteral("txt");

QString providerMarks() {
    return QStringLiteral("Provider marks") + blankLine +
           QStringLiteral(
               "The OpenAI Blossom is owned by OpenAI and is used only to identify Codex tasks. Its "
               "appearance does not imply endorsement. Use is subject to https://openai.com/brand.") +
           blankLine +
           QStringLiteral("The orange A badge is an independent Quorvel symbol for Claude Code. Claude and "
                          "Anthropic are trademarks of Anthropic PBC. Quorvel is not affiliated with or "
                          "endorsed by Anthropic.");
}

// The licence's paragraphs wrap at the card's width, not at the width the file was written at.
QString section(const ResourceBundle& bundle, const Licence& licence) {
    return licence.heading + blankLine + HardWrap::joined(text(bundle, licence));
}

void styleLicenceView(QPlainTextEdit* view) {
    QPalette own = view->palette();
    own.setColor(QPalette::Text, resolve(TextColour::secondaryLabel));
    own.setColor(QPalette::Base, Qt::transparent);
    view->setPalette(own);
}
} // namespace

const Licence& lucide() {
    static const Licence licence{QStringLiteral("Lucide Icons \u00b7 ISC Licence"), QStringLiteral("LICENSE"),
                                 QString(), QStringLiteral("Lucide"),
                                 QStringLiteral("https://lucide.dev/license")};
    return licence;
}

const std::vector<Licence>& thirdPartyLibraries() {
    static const std::vector<Licence> libraries{
        {QStringLiteral("Qt 6 \u00b7 LGPL-3.0"), QStringLiteral("Qt"), txt, licences,
         QStringLiteral("https://www.qt.io/licensing/open-source-lgpl-obligations")},
        {QStringLiteral("simdjson \u00b7 Apache-2.0"), QStringLiteral("simdjson"), txt, licences,
         QStringLiteral("https://github.com/simdjson/simdjson/blob/master/LICENSE")},
        {QStringLiteral("nlohmann-json \u00b7 MIT"), QStringLiteral("nlohmann-json"), txt, licences,
         QStringLiteral("https://github.com/nlohmann/json/blob/develop/LICENSE.MIT")},
        {QStringLiteral("utf8proc \u00b7 MIT"), QStringLiteral("utf8proc"), txt, licences,
         QStringLiteral("https://github.com/JuliaStrings/utf8proc/blob/master/LICENSE.md")},
        {QStringLiteral("libcanberra \u00b7 LGPL-2.1"), QStringLiteral("libcanberra"), txt, licences,
         QStringLiteral("https://0pointer.de/lennart/projects/libcanberra/")},
        {QStringLiteral("libheif \u00b7 LGPL-3.0"), QStringLiteral("libheif"), txt, licences,
         QStringLiteral("https://github.com/strukturag/libheif/blob/master/COPYING")},
        {QStringLiteral("libde265 \u00b7 LGPL-3.0"), QStringLiteral("libde265"), txt, licences,
         QStringLiteral("https://github.com/strukturag/libde265/blob/master/COPYING")},
        {QStringLiteral("libpng \u00b7 PNG Reference Library License version 2"), QStringLiteral("libpng"),
         txt, licences, QStringLiteral("http://www.libpng.org/pub/png/src/libpng-LICENSE.txt")},
        {QStringLiteral("libjpeg-turbo \u00b7 IJG and BSD-3-Clause"), QStringLiteral("libjpeg-turbo"), txt,
         licences, QStringLiteral("https://github.com/libjpeg-turbo/libjpeg-turbo/blob/main/LICENSE.md")},
        {QStringLiteral("GNU General Public License 3.0 \u00b7 the terms the LGPL-3.0 adds to"),
         QStringLiteral("GPL-3.0"), txt, licences,
         QStringLiteral("https://www.gnu.org/licenses/gpl-3.0.html")},
    };
    return libraries;
}

QString text(const ResourceBundle& bundle, const Licence& licence) {
    const auto contents = ResourceText::read(bundle, licence.name, licence.extension, licence.subdirectory);
    if (!contents)
        return QStringLiteral("The bundled licence could not be loaded. See ") + licence.fallbackAddress;
    QString trimmed = *contents;
    while (trimmed.endsWith(QLatin1Char('\n')) || trimmed.endsWith(QLatin1Char('\r')))
        trimmed.chop(1);
    return trimmed;
}

QString compose(const ResourceBundle& bundle) {
    QStringList libraries;
    for (const Licence& library : thirdPartyLibraries())
        libraries << section(bundle, library);
    return section(bundle, lucide()) + blankLine + QStringLiteral("Third-party libraries") + blankLine +
           libraries.join(blankLine) + blankLine + providerMarks();
}

QWidget* makeCard(const QString& text) {
    auto* view = new QPlainTextEdit;
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setFrameShape(QFrame::NoFrame);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    view->setFont(Typography::monospaced(11));
    view->document()->setDocumentMargin(14);
    view->viewport()->setAutoFillBackground(false);
    view->setPlainText(text);
    PaletteBinding::bind(view, [view] { styleLicenceView(view); });

    auto* card = CardBox::containing(view, QMargins(1, 1, 1, 1));
    card->setMinimumHeight(190);
    card->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    return card;
}

} // namespace quorvel::LicenceTexts
