#include "ui/qt/cartoon_units.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <span>

#include "runtime/blocks.h"
#include "ui/cartoon_composer.h"
#include "ui/qt/unit_accessibility.h"

namespace ui {

CartoonBoxWidget::CartoonBoxWidget(const CartoonBoxModel* model, QWidget* parent)
    : QWidget(parent), model_(model) {
  // Every pixel is painted from the composed buffer.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CartoonBoxWidget::ObjectsChanged() {
  stale_ = true;
  update();
}

const QImage& CartoonBoxWidget::Composed() {
  if (!stale_ && composed_.size() == size()) return composed_;
  stale_ = false;
  ++compositions_;
  composed_ = QImage(size(), QImage::Format_RGB32);
  if (composed_.isNull()) return composed_;
  // Format_RGB32 is blue, green, red, unused in memory on a little-endian
  // machine, with rows padded to 4 bytes already, as the composer writes them.
  uchar* pixels = composed_.bits();
  ComposeBox(pixels, 0, 0, width(), height(), kBackgroundRgb, model_->objects());
  // The composer leaves the fourth byte 0; Qt expects it 0xff for opaque RGB32.
  const qsizetype count = static_cast<qsizetype>(width()) * height();
  for (qsizetype i = 0; i < count; ++i) pixels[i * 4 + 3] = 0xFF;
  return composed_;
}

void CartoonBoxWidget::paintEvent(QPaintEvent* event) {
  const QRect area = event->rect() & rect();
  if (area.isEmpty()) return;
  QPainter painter(this);
  painter.drawImage(area.topLeft(), Composed(), area);
}

QWidget* CartoonBoxUnit::CreateWidget(QWidget* parent) {
  auto* box = new CartoonBoxWidget(&model_, parent);
  SetAccessibleRole(box, QAccessible::Graphic);  // it shows pictures
  return box;
}

int32_t CartoonBoxUnit::AddObject(const CartoonObjectModel* template_or_null, double x, double y,
                                  bool visible, std::string tag) {
  const int32_t id = model_.AddObject(template_or_null, x, y, visible, std::move(tag));
  Changed();
  return id;
}

void CartoonBoxUnit::RemoveAllObjects() {
  model_.RemoveAllObjects([this](int) {
    Changed();  // the objects removed so far, should the handler let a paint through
    RaiseEvent(event::ObjectRemoved);
    return widget() != nullptr;  // a handler may have closed the window
  });
  Changed();
}

void CartoonBoxUnit::Changed() {
  if (auto* box = static_cast<CartoonBoxWidget*>(widget())) box->ObjectsChanged();
}

QWidget* CartoonObjectUnit::CreateWidget(QWidget* parent) {
  // A placeholder that keeps the unit's place and size and paints nothing.
  auto* place = new QWidget(parent);
  place->setAttribute(Qt::WA_TransparentForMouseEvents);
  place->setAttribute(Qt::WA_NoSystemBackground);
  // A template for copies shown in a box: nothing here for a screen reader.
  HideFromAccessibility(place);
  return place;
}

void CartoonObjectUnit::WriteOwn(int32_t index, int32_t, uint64_t value) {
  if (index != property::PictureData - property::FirstOwn) return;
  const void* block = reinterpret_cast<const void*>(static_cast<uintptr_t>(value));
  const auto count = static_cast<size_t>(rt::ByteSetCount(block));
  model_.SetPictureBytes(std::span<const uint8_t>(rt::ByteSetBytes(block), count));
}

}  // namespace ui
