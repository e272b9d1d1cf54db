#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QParallelAnimationGroup;
class QWidget;

namespace quorvel {

// Puts pages into a host view, sliding the new one in from the side while the old one slides out the
// other way and fades (0.3 s, ease in and out), or at once. The host keeps its pages at its own size.
class PageTransition : public QObject {
    Q_OBJECT

public:
    static constexpr int durationMilliseconds = 300;

    // `removing` is told of every page just before it is deleted.
    PageTransition(QWidget* host, std::function<void(QWidget*)> removing);

    // Going forward the new page comes in from the right; going back, from the left.
    void show(QWidget* page, bool animated, bool forward);
    bool isRunning() const;
    // Ends a running slide at once, as if it had run its course.
    void finish();

    QWidget* currentPage() const { return current_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void remove(QWidget* page);

    QWidget* host_;
    std::function<void(QWidget*)> removing_;
    QPointer<QWidget> current_;
    QPointer<QParallelAnimationGroup> running_;
};

} // namespace quorvel
