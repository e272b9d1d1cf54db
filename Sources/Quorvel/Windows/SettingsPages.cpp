#include "Windows/SettingsPages.h"

#include "Windows/CardBox.h"
#include "Windows/TextLabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quorvel::SettingsPages {

namespace {
QVBoxLayout* column(QWidget* owner, int spacing) {
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}
} // namespace

QWidget* page(const QString& title, const QString& description, const std::vector<QWidget*>& cards) {
    auto* view = new QWidget;
    auto* stack = column(view, 14);
    stack->setContentsMargins(28, 28, 28, 0);
    stack->addWidget(TextLabel::wrapping(title, 22, QFont::DemiBold));
    stack->addSpacing(5 - 14);
    stack->addWidget(detail(description));
    stack->addSpacing(20 - 14);
    for (QWidget* card : cards)
        stack->addWidget(card);
    stack->addStretch();
    return view;
}

QWidget* group(const std::vector<QWidget*>& rows) {
    auto* stack = new QVBoxLayout;
    stack->setSpacing(0);
    for (QWidget* row : rows)
        stack->addWidget(row);
    return CardBox::containing(stack, QMargins(14, 11, 14, 11));
}

QWidget* settingRow(const QString& title, const QString& detailText, QWidget* control) {
    return settingRow(title, detail(detailText), control);
}

QWidget* settingRow(const QString& title, TextLabel* detailLabel, QWidget* control) {
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(TextLabel::wrapping(title, 13, QFont::Medium));
    texts->addWidget(detailLabel);

    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 9, 0, 9);
    layout->setSpacing(12);
    layout->addLayout(texts, 1);
    layout->addWidget(control, 0, Qt::AlignVCenter);
    return row;
}

TextLabel* detail(const QString& text) {
    return TextLabel::wrapping(text, 13, QFont::Normal, TextColour::secondaryLabel);
}

QWidget* note(const std::vector<QWidget*>& views) {
    auto* view = new QWidget;
    auto* stack = column(view, 6);
    stack->setContentsMargins(4, 0, 4, 0);
    for (QWidget* child : views) {
        if (qobject_cast<QLabel*>(child))
            stack->addWidget(child);
        else
            stack->addWidget(child, 0, Qt::AlignLeft);
    }
    return view;
}

} // namespace quorvel::SettingsPages
