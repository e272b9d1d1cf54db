#pragma once

#include <QString>
#include <vector>

class QWidget;

namespace quorvel {

class ResourceBundle;

// The open-source licences the program ships with and the provider-mark notice, as one plain text.
namespace LicenceTexts {

// One bundled licence text and where to read it when the bundle lacks it.
struct Licence {
    QString heading;   // "Qt 6 · LGPL-3.0"
    QString name;      // file name in the bundle
    QString extension; // "" or "txt"
    QString subdirectory;
    QString fallbackAddress;
};

// The icon set's licence, first on the card.
const Licence& lucide();
// The libraries linked into the program, under "Third-party libraries".
const std::vector<Licence>& thirdPartyLibraries();

// "The bundled licence could not be loaded. See " and the fallback address, when the file is missing or
// unreadable.
QString text(const ResourceBundle& bundle, const Licence& licence);
// The whole text of the licence card.
QString compose(const ResourceBundle& bundle);

// The card: the text selectable but not editable, fixed-width, scrolling, at least 190 high.
QWidget* makeCard(const QString& text);

} // namespace LicenceTexts
} // namespace quorvel
