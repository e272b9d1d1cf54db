#include "Platform/AlertPresenter.h"

#include <QLabel>
#include <QMessageBox>

namespace quorvel {

void MessageBoxAlerts::show(const QString& message, const QString& informative, AlertStyle style,
                            Dismissed dismissed) {
    auto* box =
        new QMessageBox(style == AlertStyle::warning ? QMessageBox::Warning : QMessageBox::Information,
                        QStringLiteral("Quorvel"), message, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(modality_);
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(informative);
    // The informative label does not always take the box's text format: set it on the label itself.
    for (auto* label : box->findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    if (dismissed)
        QObject::connect(box, &QMessageBox::finished, box,
                         [dismissed = std::move(dismissed)] { dismissed(); });
    box->show();
    box->raise();
    box->activateWindow();
}

} // namespace quorvel
