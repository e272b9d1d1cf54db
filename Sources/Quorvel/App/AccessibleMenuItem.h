#pragma once

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QPointer>

class QAction;
class QMenu;

namespace quorvel {

// A menu item as assistive tools see it, with a description beside its text. Qt's own menu items
// expose only their text, so the description of a task row's image ("Codex, Finished · unread") would
// reach nobody. Items given a description (even an empty one) before assistive tools first ask for them
// are answered by this class; every other item stays Qt's.
class AccessibleMenuItem final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    // Sets the accessible description of `item` and tells assistive tools when it changed.
    static void setDescription(QAction* item, const QString& description);
    static QString description(const QAction* item);

    AccessibleMenuItem(QMenu* menu, QAction* item);

    bool isValid() const override;
    QObject* object() const override;
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QString text(QAccessible::Text kind) const override;
    void setText(QAccessible::Text kind, const QString& text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    QPointer<QMenu> menu_;
    QPointer<QAction> item_;
};

} // namespace quorvel
