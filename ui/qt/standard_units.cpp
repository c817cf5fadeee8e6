#include "ui/qt/standard_units.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/qt/gbk_qt.h"
#include "ui/qt/unit_accessibility.h"

namespace ui {

uint64_t TextUnit::ReadOwn(int32_t index, int32_t) {
  if (index != property::Text - property::FirstOwn) return 0;
  return TextValue(QStringToGbk(WidgetText()));
}

void TextUnit::WriteOwn(int32_t index, int32_t, uint64_t value) {
  if (index != property::Text - property::FirstOwn) return;
  SetWidgetText(GbkToQString(TextFromValue(value)));
}

QWidget* ButtonUnit::CreateWidget(QWidget* parent) {
  auto* button = new QPushButton(LiteralToQString(form().text), parent);
  QObject::connect(button, &QPushButton::clicked, [this] { RaiseEvent(event::ButtonClicked); });
  return button;
}
QString ButtonUnit::WidgetText() const {
  return static_cast<QPushButton*>(widget())->text();
}
void ButtonUnit::SetWidgetText(const QString& text) {
  static_cast<QPushButton*>(widget())->setText(text);
}

QWidget* EditBoxUnit::CreateWidget(QWidget* parent) {
  auto* edit = new QLineEdit(LiteralToQString(form().text), parent);
  return edit;
}
QString EditBoxUnit::WidgetText() const {
  return static_cast<QLineEdit*>(widget())->text();
}
void EditBoxUnit::SetWidgetText(const QString& text) {
  static_cast<QLineEdit*>(widget())->setText(text);
}

QWidget* LabelUnit::CreateWidget(QWidget* parent) {
  auto* label = new QLabel(LiteralToQString(form().text), parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return label;
}
QString LabelUnit::WidgetText() const {
  return static_cast<QLabel*>(widget())->text();
}
void LabelUnit::SetWidgetText(const QString& text) {
  // QLabel repaints itself when its text changes.
  static_cast<QLabel*>(widget())->setText(text);
}

QWidget* GroupBoxUnit::CreateWidget(QWidget* parent) {
  auto* group = new QGroupBox(LiteralToQString(form().text), parent);
  // A grouping whose children leave out any unit hidden from screen readers.
  SetAccessibleRole(group, QAccessible::Grouping);
  return group;
}
QString GroupBoxUnit::WidgetText() const {
  return static_cast<QGroupBox*>(widget())->title();
}
void GroupBoxUnit::SetWidgetText(const QString& text) {
  static_cast<QGroupBox*>(widget())->setTitle(text);
}

}  // namespace ui
