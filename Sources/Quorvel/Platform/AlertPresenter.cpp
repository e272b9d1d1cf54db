#include "Platform/AlertPresenter.h"

#include <QLabel>
#include <QMessageBox>

namespace quorvel {

void MessageBoxAlerts::show(const QString& message, const QString& informative, AlertStyle style) {
    QMessageBox box(style == AlertStyle::warning ? QMessageBox::Warning : QMessageBox::Information,
                    QStringLiteral("Quorvel"), message, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(informative);
    // The informative label does not always take the box's text format: set it on the label itself.
    for (auto* label : box.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace quorvel
