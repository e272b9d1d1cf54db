#pragma once

class QWidget;

namespace quorvel {

// Widgets that assistive tools should not see, such as decorative pictures: they are left out of their
// parent's accessible children, and so out of the accessible tree. The parent must be a plain QWidget
// (a page or container), and the widget hidden before its parent is first shown.
namespace AccessibilityHidden {

void hide(QWidget* widget);
bool isHidden(const QWidget* widget);

} // namespace AccessibilityHidden

} // namespace quorvel
