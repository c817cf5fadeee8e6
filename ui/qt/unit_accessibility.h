// What screen readers see of a window and its units. Qt gives most standard
// controls a suitable accessible interface; units that need another role (the
// window as a frame, the animation box as a picture, group boxes) or that must
// stay out of the tree (the template animation object) are marked here and
// served by the runtime's own interface.
#pragma once

#include <QAccessible>
#include <QWidget>

namespace ui {

// Gives `widget` the runtime's accessible interface with this role. Its name
// and description are the widget's accessible name and description (for a
// window, its caption when no name is set).
void SetAccessibleRole(QWidget* widget, QAccessible::Role role);

// Leaves `widget` out of its parent's accessible children. The parent must
// carry a role set with SetAccessibleRole.
void HideFromAccessibility(QWidget* widget);

}  // namespace ui
