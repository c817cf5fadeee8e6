#include "ui/qt/theme_style.h"

#include <QPainter>
#include <QStyleOption>
#include <QWidget>
#include <algorithm>

namespace ui {
namespace {

bool IsHot(const QStyleOption* option, const QWidget* widget) {
  if (widget && widget->property(kThemeHotProperty).toBool()) return true;
  return (option->state & QStyle::State_MouseOver) && (option->state & QStyle::State_Enabled);
}

}  // namespace

QColor ThemeFrameColour(int scheme, bool enabled, const QPalette& palette) {
  if (!enabled) {
    const QColor face = palette.color(QPalette::Active, QPalette::Button);
    return QColor(std::max(face.red() - 32, 0), std::max(face.green() - 32, 0),
                  std::max(face.blue() - 32, 0));
  }
  switch (scheme) {
    case 1:
      return QColor(123, 158, 189);
    case 2:
      return QColor(164, 185, 127);
    default:
      return QColor(198, 197, 215);
  }
}

ThemeStyle::ThemeStyle(int scheme) : scheme_(scheme) {}

void ThemeStyle::DrawFrame(const QStyleOption* option, QPainter* painter,
                           const QWidget* widget) const {
  const bool enabled = (option->state & State_Enabled) && (!widget || widget->isEnabled());
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setBrush(Qt::NoBrush);
  painter->setPen(QPen(ThemeFrameColour(scheme_, enabled, option->palette), 1));
  painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
  // A hot control gets a second, inner frame line.
  if (enabled && IsHot(option, widget)) painter->drawRect(option->rect.adjusted(1, 1, -2, -2));
  painter->restore();
}

void ThemeStyle::DrawHotFace(const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
  if (!IsHot(option, widget)) return;
  QColor tint = ThemeFrameColour(scheme_, true, option->palette);
  tint.setAlpha(60);
  painter->fillRect(option->rect.adjusted(1, 1, -1, -1), tint);
}

void ThemeStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
  QProxyStyle::drawPrimitive(element, option, painter, widget);
  switch (element) {
    case PE_PanelButtonCommand:
    case PE_IndicatorCheckBox:
    case PE_IndicatorRadioButton:
      DrawHotFace(option, painter, widget);
      DrawFrame(option, painter, widget);
      break;
    case PE_PanelLineEdit:
    case PE_FrameLineEdit:
    case PE_FrameGroupBox:
      DrawFrame(option, painter, widget);
      break;
    default:
      break;
  }
}

void ThemeStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
  QProxyStyle::drawControl(element, option, painter, widget);
  // Multi-line edits and a combo box's drop-down list draw their frame here.
  if (element == CE_ShapedFrame) DrawFrame(option, painter, widget);
}

void ThemeStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const {
  QProxyStyle::drawComplexControl(control, option, painter, widget);
  if (control == CC_ComboBox || control == CC_SpinBox) DrawFrame(option, painter, widget);
}

}  // namespace ui
