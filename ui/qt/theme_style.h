// The look of a control taken over by the control theme: the base style's
// drawing with a frame in the scheme's colour (darker for a disabled
// control) and a tinted face while the mouse is over the control.
#pragma once

#include <QColor>
#include <QPalette>
#include <QProxyStyle>

namespace ui {

// Dynamic property set on a taken-over control while the mouse is over it.
inline constexpr const char* kThemeHotProperty = "qvThemeHot";

// The frame colour of scheme 1, 2 or 3; a disabled control's frame is the
// palette's button colour darkened by 32 in each of red, green and blue.
QColor ThemeFrameColour(int scheme, bool enabled, const QPalette& palette);

class ThemeStyle : public QProxyStyle {
 public:
  explicit ThemeStyle(int scheme);
  int scheme() const { return scheme_; }

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget) const override;

 private:
  void DrawFrame(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
  void DrawHotFace(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;

  int scheme_;
};

}  // namespace ui
