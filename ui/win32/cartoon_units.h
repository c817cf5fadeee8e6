// The animation units: the box ("QuoteviewCartoonBox"), which paints its
// placed objects composed over a white background, and the object
// ("QuoteviewCartoonObject"), a picture template that draws nothing in its
// own place while the program runs (copies of it are shown in a box).
#pragma once

#include <cstdint>
#include <string>

#include "ui/cartoon_model.h"
#include "ui/win32/unit.h"

namespace ui {

class CartoonBoxUnit : public Unit {
 public:
  static constexpr uint32_t kBackgroundRgb = 0xFFFFFF;

  using Unit::Unit;

  // Window thread only. The box repaints after each change.
  int32_t AddObject(const CartoonObjectModel* template_or_null, double x, double y, bool visible,
                    std::string tag);
  void RemoveAllObjects();
  const CartoonBoxModel& model() const { return model_; }

 protected:
  HWND CreateControl(HWND parent, int left, int top, int width, int height) override;

 private:
  CartoonBoxModel model_;
};

class CartoonObjectUnit : public Unit {
 public:
  using Unit::Unit;

  void WriteOwn(int32_t index, int32_t member, uint64_t value) override;
  const CartoonObjectModel& model() const { return model_; }

 protected:
  HWND CreateControl(HWND parent, int left, int top, int width, int height) override;

 private:
  CartoonObjectModel model_;
};

}  // namespace ui
