#pragma once

#include <QWidget>

namespace quorvel {

// The small four-lamp badge at the top of the settings sidebar (46 x 20).
class SettingsLamplineView : public QWidget {
    Q_OBJECT

public:
    explicit SettingsLamplineView(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {46, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quorvel
