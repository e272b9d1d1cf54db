#pragma once

#include <QPointer>
#include <QWidget>

namespace quorvel {

// A ring in the accent colour around the control that has the keyboard focus, drawn the same way in
// every window and theme (styles draw focus faintly, and custom controls not at all). It is a
// transparent layer over the window's content; focus given with the mouse shows no ring.
class FocusRing : public QWidget {
    Q_OBJECT

public:
    // Properties a control may set: the corner radius of its ring (default 6), and `aroundParent` for a
    // text box whose visible frame is its parent.
    static constexpr const char* radiusProperty = "focusRingRadius";
    static constexpr const char* aroundParentProperty = "focusRingAroundParent";

    // Puts a ring layer over `window` for the window's lifetime.
    static void attach(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    explicit FocusRing(QWidget& window);
    void follow(QWidget* focused, Qt::FocusReason reason);
    QWidget* ringed() const;
    QRect clipArea() const;

    QPointer<QWidget> focused_;
    bool shown_ = false;
};

} // namespace quorvel
