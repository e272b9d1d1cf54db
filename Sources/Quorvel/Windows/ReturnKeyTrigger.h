#pragma once

#include <QObject>

class QAbstractButton;
class QWidget;

namespace quorvel {

// Makes Return (and Enter) in a window press its default button, as a dialog's default button does; the
// key reaches the window whenever the focused control leaves it unused.
class ReturnKeyTrigger : public QObject {
    Q_OBJECT

public:
    ReturnKeyTrigger(QWidget* window, QAbstractButton* button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractButton* button_;
};

} // namespace quorvel
