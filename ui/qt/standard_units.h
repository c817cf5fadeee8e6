// The standard units: push button, single-line edit box, label and group box.
// Each has its caption or content as property 8, a GBK text.
#pragma once

#include "ui/qt/unit.h"

namespace ui {

// Property 8 of the standard units, over whichever widget shows the text.
class TextUnit : public Unit {
 public:
  using Unit::Unit;
  uint64_t ReadOwn(int32_t index, int32_t member) override;
  void WriteOwn(int32_t index, int32_t member, uint64_t value) override;

 protected:
  virtual QString WidgetText() const = 0;
  virtual void SetWidgetText(const QString& text) = 0;
};

class ButtonUnit : public TextUnit {
 public:
  using TextUnit::TextUnit;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  QString WidgetText() const override;
  void SetWidgetText(const QString& text) override;
};

class EditBoxUnit : public TextUnit {
 public:
  using TextUnit::TextUnit;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  QString WidgetText() const override;
  void SetWidgetText(const QString& text) override;
};

class LabelUnit : public TextUnit {
 public:
  using TextUnit::TextUnit;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  QString WidgetText() const override;
  void SetWidgetText(const QString& text) override;
};

class GroupBoxUnit : public TextUnit {
 public:
  using TextUnit::TextUnit;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  QString WidgetText() const override;
  void SetWidgetText(const QString& text) override;
};

}  // namespace ui
