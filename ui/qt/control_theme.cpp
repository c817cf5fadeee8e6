#include "ui/qt/control_theme.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QChildEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextEdit>
#include <memory>
#include <unordered_map>

#include "runtime/command_args.h"
#include "ui/qt/theme_style.h"
#include "ui/qt/window_thread.h"
#include "ui/unit_ref.h"

namespace ui {
namespace {

template <class T>
bool Is(const QWidget* widget) {
  // An exact class: a subclass with its own meta-object paints itself.
  return widget->metaObject() == &T::staticMetaObject;
}

bool InsideComboBox(const QWidget* widget) {
  // The drop-down list lives in a popup container whose parent is the combo box.
  int levels = 0;
  for (const QWidget* up = widget->parentWidget(); up && levels < 3;
       up = up->parentWidget(), ++levels) {
    if (qobject_cast<const QComboBox*>(up)) return true;
  }
  return false;
}

// What the theme changed on one control, to be given back.
struct Held {
  QPointer<QWidget> control;
  QPointer<QStyle> own_style;  // null: the control used the application's style
  bool had_hover = false;
  QMetaObject::Connection gone;
};

// Creation hooks in place, counted so a second switch-on that forgot to
// remove the first hook shows up.
int installed_hooks = 0;

class ThemeController : public QObject {
 public:
  explicit ThemeController(int scheme) : style_(scheme) {
    QCoreApplication::instance()->installEventFilter(this);
    ++installed_hooks;
    TakeOverExisting();
  }

  ~ThemeController() override {
    QCoreApplication::instance()->removeEventFilter(this);
    --installed_hooks;
    for (auto& [control, held] : held_) GiveBack(held);
    held_.clear();
  }

  int scheme() const { return style_.scheme(); }
  int held_count() const { return static_cast<int>(held_.size()); }
  bool Holds(const QWidget* control) const { return held_.count(control) != 0; }

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Polish:
        if (watched->isWidgetType()) TakeOver(static_cast<QWidget*>(watched));
        break;
      case QEvent::ChildAdded: {
        // The child is still being constructed: look at it once it is complete.
        QPointer<QObject> child = static_cast<QChildEvent*>(event)->child();
        QMetaObject::invokeMethod(
            this,
            [this, child] {
              if (child && child->isWidgetType()) TakeOver(static_cast<QWidget*>(child.data()));
            },
            Qt::QueuedConnection);
        break;
      }
      case QEvent::Enter:
      case QEvent::Leave:
        if (watched->isWidgetType()) SetHot(static_cast<QWidget*>(watched), event->type());
        break;
      default:
        break;
    }
    return false;
  }

 private:
  void TakeOverExisting() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      TakeOver(top);
      for (QWidget* child : top->findChildren<QWidget*>()) TakeOver(child);
    }
  }

  void TakeOver(QWidget* control) {
    if (held_.count(control) || ThemeClassOf(control) == ThemeClass::kNone) return;
    Held& held = held_[control];
    held.control = control;
    held.own_style = control->testAttribute(Qt::WA_SetStyle) ? control->style() : nullptr;
    held.had_hover = control->testAttribute(Qt::WA_Hover);
    held.gone =
        connect(control, &QObject::destroyed, this, [this, control] { held_.erase(control); });

    // The scheme's colours are drawn by the style alone. A palette set here
    // would pass to every child of a group box, recolouring controls the
    // theme does not know (the list's selection among them).
    control->setAttribute(Qt::WA_Hover);
    control->setStyle(&style_);
    control->update();
  }

  void GiveBack(Held& held) {
    disconnect(held.gone);
    QWidget* control = held.control.data();
    if (!control) return;
    control->setStyle(held.own_style.data());
    control->setAttribute(Qt::WA_Hover, held.had_hover);
    control->setProperty(kThemeHotProperty, QVariant());
    control->update();
  }

  void SetHot(QWidget* control, QEvent::Type type) {
    if (!held_.count(control)) return;
    control->setProperty(kThemeHotProperty, type == QEvent::Enter);
    control->update();
  }

  ThemeStyle style_;
  std::unordered_map<const QWidget*, Held> held_;
};

// Each thread has its own theme; only the window thread has controls.
thread_local ThemeController* active_theme = nullptr;
thread_local int scheme_without_windows = 0;

// Whether a hook was in place for this thread; a thread without windows has
// its (empty) hook too, so switching off there succeeds as well.
int32_t SwitchOff() {
  if (active_theme) {
    delete std::exchange(active_theme, nullptr);
    return 1;
  }
  return std::exchange(scheme_without_windows, 0) != 0 ? 1 : 0;
}

}  // namespace

ThemeClass ThemeClassOf(const QWidget* widget) {
  if (!widget || widget->property(kOwnerDrawnProperty).toBool()) return ThemeClass::kNone;
  if (Is<QPushButton>(widget)) {
    // A push button without text shows a picture: it keeps its own look.
    return static_cast<const QPushButton*>(widget)->text().isEmpty() ? ThemeClass::kNone
                                                                     : ThemeClass::kButton;
  }
  if (Is<QCheckBox>(widget) || Is<QRadioButton>(widget) || Is<QGroupBox>(widget)) {
    return ThemeClass::kButton;
  }
  if (Is<QLineEdit>(widget) || Is<QPlainTextEdit>(widget) || Is<QTextEdit>(widget)) {
    return ThemeClass::kEdit;
  }
  // Every combo box here drops its list down; none keeps it always shown.
  if (Is<QComboBox>(widget)) return ThemeClass::kComboBox;
  if (Is<QSpinBox>(widget) || Is<QDoubleSpinBox>(widget)) return ThemeClass::kUpDown;
  if (qobject_cast<const QAbstractItemView*>(widget) && InsideComboBox(widget)) {
    return ThemeClass::kComboList;
  }
  return ThemeClass::kNone;
}

namespace cmd {

void ControlTheme(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args) {
  const int32_t style = rt::args::Int(args, arg_count, 0, 0);
  const bool switch_on = style >= 1 && style <= 3;
  int32_t answer = 0;
  if (!switch_on) {
    answer = SwitchOff();
  } else {
    SwitchOff();
    if (QCoreApplication::instance() && OnWindowThread()) {
      active_theme = new ThemeController(style);
    } else {
      scheme_without_windows = style;  // a thread without windows has nothing to hook
    }
    answer = 1;
  }
  rt::args::SetInt(result, answer);
}

}  // namespace cmd

int ActiveThemeScheme() {
  return active_theme ? active_theme->scheme() : scheme_without_windows;
}
int ThemeHookCount() {
  return installed_hooks;
}
int ThemeTakenOverCount() {
  return active_theme ? active_theme->held_count() : 0;
}
bool ThemeHolds(const QWidget* control) {
  return active_theme && active_theme->Holds(control);
}
bool ThemeControlIsHot(const QWidget* control) {
  return ThemeHolds(control) && control->property(kThemeHotProperty).toBool();
}

}  // namespace ui
