#include "Windows/AccessibilityHidden.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace quorvel::AccessibilityHidden {

namespace {

constexpr const char* hiddenProperty = "quorvelAccessibilityHidden";
constexpr const char* hidesChildrenProperty = "quorvelHidesAccessibleChildren";

// A plain container as Qt describes it, less its hidden children.
class ContainerWithHiddenChildren final : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;

    int childCount() const override { return static_cast<int>(shownChildren().size()); }

    QAccessibleInterface* child(int index) const override {
        const auto children = shownChildren();
        return index >= 0 && index < children.size() ? children[index] : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        return static_cast<int>(shownChildren().indexOf(child));
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        for (QAccessibleInterface* child : shownChildren())
            if (child->rect().contains(x, y))
                return child;
        return nullptr;
    }

private:
    QList<QAccessibleInterface*> shownChildren() const {
        QList<QAccessibleInterface*> shown;
        for (int index = 0; index < QAccessibleWidget::childCount(); ++index) {
            QAccessibleInterface* child = QAccessibleWidget::child(index);
            if (child && !isHidden(qobject_cast<const QWidget*>(child->object())))
                shown << child;
        }
        return shown;
    }
};

// Asked for every object, class by class from the most derived; answers only for a plain QWidget that
// holds hidden children, and leaves every other object to Qt.
QAccessibleInterface* containerFactory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || widget->metaObject() != &QWidget::staticMetaObject ||
        !widget->property(hidesChildrenProperty).toBool())
        return nullptr;
    return new ContainerWithHiddenChildren(widget);
}

} // namespace

void hide(QWidget* widget) {
    static const bool installed = [] {
        QAccessible::installFactory(containerFactory);
        return true;
    }();
    (void)installed;
    widget->setProperty(hiddenProperty, true);
    if (QWidget* parent = widget->parentWidget())
        parent->setProperty(hidesChildrenProperty, true);
}

bool isHidden(const QWidget* widget) {
    return widget && widget->property(hiddenProperty).toBool();
}

} // namespace quorvel::AccessibilityHidden
