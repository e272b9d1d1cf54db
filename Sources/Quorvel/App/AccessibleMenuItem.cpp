#include "App/AccessibleMenuItem.h"

#include <QAction>
#include <QMenu>

namespace quorvel {

namespace {

constexpr const char* descriptionProperty = "quorvelAccessibleDescription";

QAccessibleInterface* describedMenuItem(const QString& className, QObject* object) {
    auto* item = qobject_cast<QAction*>(object);
    if (!item || className != QLatin1String("QAction") || !item->property(descriptionProperty).isValid())
        return nullptr;
    for (QObject* owner : item->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(owner))
            return new AccessibleMenuItem(menu, item);
    return nullptr;
}

// The text without the "&" that marks a mnemonic; "&&" is one "&".
QString withoutMnemonic(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        if (text[index] == u'&' && index + 1 < text.size())
            ++index;
        plain += text[index];
    }
    return plain;
}

} // namespace

void AccessibleMenuItem::setDescription(QAction* item, const QString& description) {
    static const bool installed = [] {
        QAccessible::installFactory(describedMenuItem);
        return true;
    }();
    Q_UNUSED(installed);
    const QVariant stored = item->property(descriptionProperty);
    if (stored.isValid() && stored.toString() == description)
        return;
    item->setProperty(descriptionProperty, description);
    if (stored.isValid()) {
        QAccessibleEvent changed(item, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

QString AccessibleMenuItem::description(const QAction* item) {
    return item->property(descriptionProperty).toString();
}

AccessibleMenuItem::AccessibleMenuItem(QMenu* menu, QAction* item) : menu_(menu), item_(item) {}

bool AccessibleMenuItem::isValid() const {
    return menu_ && item_;
}

QObject* AccessibleMenuItem::object() const {
    return item_;
}

QWindow* AccessibleMenuItem::window() const {
    return menu_ ? menu_->windowHandle() : nullptr;
}

QAccessibleInterface* AccessibleMenuItem::parent() const {
    return QAccessible::queryAccessibleInterface(menu_.data());
}

QAccessibleInterface* AccessibleMenuItem::child(int) const {
    return nullptr;
}

int AccessibleMenuItem::childCount() const {
    return 0;
}

int AccessibleMenuItem::indexOfChild(const QAccessibleInterface*) const {
    return -1;
}

QAccessibleInterface* AccessibleMenuItem::childAt(int, int) const {
    return nullptr;
}

QString AccessibleMenuItem::text(QAccessible::Text kind) const {
    if (!isValid())
        return {};
    switch (kind) {
    case QAccessible::Name:
        return withoutMnemonic(item_->text());
    case QAccessible::Description:
        return description(item_);
    case QAccessible::Accelerator:
        return item_->shortcut().toString(QKeySequence::NativeText);
    default:
        return {};
    }
}

void AccessibleMenuItem::setText(QAccessible::Text, const QString&) {}

QRect AccessibleMenuItem::rect() const {
    if (!isValid())
        return {};
    const QRect local = menu_->actionGeometry(item_);
    return QRect(menu_->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role AccessibleMenuItem::role() const {
    return item_ && item_->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
}

QAccessible::State AccessibleMenuItem::state() const {
    QAccessible::State state;
    if (!isValid())
        return state;
    state.invisible = menu_->isHidden() || !item_->isVisible();
    state.disabled = !item_->isEnabled();
    state.focusable = item_->isEnabled();
    state.focused = menu_->activeAction() == item_;
    state.checkable = item_->isCheckable();
    state.checked = item_->isChecked();
    return state;
}

void* AccessibleMenuItem::interface_cast(QAccessible::InterfaceType type) {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
}

QStringList AccessibleMenuItem::actionNames() const {
    if (!isValid() || !item_->isEnabled() || item_->isSeparator())
        return {};
    return {pressAction()};
}

void AccessibleMenuItem::doAction(const QString& actionName) {
    if (actionName == pressAction() && isValid() && item_->isEnabled())
        item_->trigger();
}

QStringList AccessibleMenuItem::keyBindingsForAction(const QString& actionName) const {
    if (actionName != pressAction() || !isValid() || item_->shortcut().isEmpty())
        return {};
    return {item_->shortcut().toString(QKeySequence::NativeText)};
}

} // namespace quorvel
