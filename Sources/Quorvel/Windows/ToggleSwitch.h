#pragma once

#include <QAbstractButton>

namespace quorvel {

// The on/off switch of the settings pages: a rounded track, the accent colour when on, with a round knob
// at the end that is on. Space toggles it like a check box; `clicked` is sent only for the user's changes.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int trackWidth = 38;
    static constexpr int trackHeight = 22;

    explicit ToggleSwitch(const QString& accessibleName = {}, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {trackWidth, trackHeight}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override { return rect().contains(position); }
};

} // namespace quorvel
