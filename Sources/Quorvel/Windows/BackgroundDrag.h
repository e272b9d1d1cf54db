#pragma once

#include <QObject>

class QWidget;

namespace quorvel {

// Lets the user move a window by dragging its background (presses that no control takes).
class BackgroundDrag : public QObject {
    Q_OBJECT

public:
    explicit BackgroundDrag(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
};

} // namespace quorvel
