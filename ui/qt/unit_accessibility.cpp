#include "ui/qt/unit_accessibility.h"

#include <QAccessibleWidget>
#include <QVariant>

namespace ui {
namespace {

constexpr const char* kRoleProperty = "qvAccessibleRole";
constexpr const char* kHiddenProperty = "qvAccessibleHidden";

class UnitAccessible : public QAccessibleWidget {
 public:
  UnitAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

  int childCount() const override { return static_cast<int>(Children().size()); }

  QAccessibleInterface* child(int index) const override {
    const QList<QWidget*> children = Children();
    if (index < 0 || index >= children.size()) return nullptr;
    return QAccessible::queryAccessibleInterface(children.at(index));
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child || !child->object() || !child->object()->isWidgetType()) return -1;
    return static_cast<int>(Children().indexOf(static_cast<QWidget*>(child->object())));
  }

 private:
  // Child widgets in creation order, as Qt lists them, less the hidden ones
  // and any separate windows.
  QList<QWidget*> Children() const {
    QList<QWidget*> children;
    for (QObject* object : widget()->children()) {
      auto* child = qobject_cast<QWidget*>(object);
      if (child && !child->isWindow() && !child->property(kHiddenProperty).toBool()) {
        children.append(child);
      }
    }
    return children;
  }
};

QAccessibleInterface* UnitInterface(const QString&, QObject* object) {
  if (!object || !object->isWidgetType()) return nullptr;
  const QVariant role = object->property(kRoleProperty);
  if (!role.isValid()) return nullptr;
  return new UnitAccessible(static_cast<QWidget*>(object),
                            static_cast<QAccessible::Role>(role.toInt()));
}

void InstallFactoryOnce() {
  static const bool installed = [] {
    QAccessible::installFactory(UnitInterface);
    return true;
  }();
  (void)installed;
}

}  // namespace

void SetAccessibleRole(QWidget* widget, QAccessible::Role role) {
  InstallFactoryOnce();
  widget->setProperty(kRoleProperty, static_cast<int>(role));
}

void HideFromAccessibility(QWidget* widget) {
  widget->setProperty(kHiddenProperty, true);
}

}  // namespace ui
