#pragma once

#include <QString>
#include <vector>

class QWidget;

namespace quorvel {

class TextLabel;

// The building blocks of the settings window's own pages (Integrations, General).
namespace SettingsPages {

// Title, description and the cards under them, each card as wide as the page's stack.
QWidget* page(const QString& title, const QString& description, const std::vector<QWidget*>& cards);
// A card of rows, one under the other, each as wide as the card.
QWidget* group(const std::vector<QWidget*>& rows);
// Title and detail on the left, the control on the right.
QWidget* settingRow(const QString& title, const QString& detail, QWidget* control);
// The same with a detail label of the caller's, for a detail that changes.
QWidget* settingRow(const QString& title, TextLabel* detail, QWidget* control);
// Wrapping secondary text of 13 points.
TextLabel* detail(const QString& text);
// Status lines under the cards, inset 4 on either side.
QWidget* note(const std::vector<QWidget*>& views);

} // namespace SettingsPages
} // namespace quorvel
