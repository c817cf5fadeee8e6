// The animation units: the box, which composes its placed objects over a
// white background and keeps the result until they change, and the object, a
// picture template that draws nothing in its own place while the program runs
// (copies of it are shown in a box).
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>

#include "ui/cartoon_model.h"
#include "ui/qt/unit.h"

namespace ui {

class CartoonBoxWidget : public QWidget {
 public:
  static constexpr uint32_t kBackgroundRgb = 0xFFFFFF;

  CartoonBoxWidget(const CartoonBoxModel* model, QWidget* parent);

  // The objects changed: the box is composed afresh at its next paint.
  void ObjectsChanged();
  // How many times the whole box has been composed (for the tests).
  int compositions() const { return compositions_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The whole box, composed when its objects or its size changed since.
  const QImage& Composed();

  const CartoonBoxModel* model_;
  QImage composed_;
  bool stale_ = true;
  int compositions_ = 0;
};

class CartoonBoxUnit : public Unit {
 public:
  using Unit::Unit;

  // Window thread only. The box recomposes and repaints after each change.
  int32_t AddObject(const CartoonObjectModel* template_or_null, double x, double y, bool visible,
                    std::string tag);
  void RemoveAllObjects();
  const CartoonBoxModel& model() const { return model_; }

 protected:
  QWidget* CreateWidget(QWidget* parent) override;

 private:
  void Changed();

  CartoonBoxModel model_;
};

class CartoonObjectUnit : public Unit {
 public:
  using Unit::Unit;

  void WriteOwn(int32_t index, int32_t member, uint64_t value) override;
  const CartoonObjectModel& model() const { return model_; }

 protected:
  QWidget* CreateWidget(QWidget* parent) override;

 private:
  CartoonObjectModel model_;
};

}  // namespace ui
