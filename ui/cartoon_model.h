// The animation object (a template holding one picture and its drawing
// settings) and the animation box (the ordered list of objects placed in it),
// without any widget: the widgets wrap these and paint what the box composes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ui/picture.h"

namespace ui {

struct CartoonObjectSettings {
  std::string text;  // when not empty, shown instead of the picture bytes
  bool colour_key_from_top_left = false;
  uint32_t colour_key = kNoColourKey;  // 0x00RRGGBB, or kNoColourKey
  int transparency_percent = 0;
  int ordering = 0;  // position among the box's objects, lower first
};

class CartoonObjectModel {
 public:
  // Replaces the picture bytes (a complete image file) and rebuilds the image
  // at once; bytes that do not decode leave the object without an image.
  void SetPictureBytes(std::span<const uint8_t> bytes);
  // Settings take part in building the image (colour key), so this rebuilds it.
  void SetSettings(CartoonObjectSettings settings);

  const std::vector<uint8_t>& picture_bytes() const { return bytes_; }
  const CartoonObjectSettings& settings() const { return settings_; }
  // Null when the object has no image. Boxes share the picture; rebuilding
  // makes a new one, so objects already placed keep what they were given.
  std::shared_ptr<const Picture> picture() const { return picture_; }

 private:
  void Rebuild();

  std::vector<uint8_t> bytes_;
  CartoonObjectSettings settings_;
  std::shared_ptr<const Picture> picture_;
};

// One object placed in a box, with everything copied from its template.
struct BoxObject {
  int id = 0;
  double x = 0;  // box pixels; truncated to whole pixels when drawn
  double y = 0;
  bool visible = true;
  std::shared_ptr<const Picture> picture;
  int frame = 0;
  int transparency_percent = 0;
  int ordering = 0;
  std::string tag;
};

class CartoonBoxModel {
 public:
  // Places a copy of `template_or_null` (its picture and settings as they are
  // now) at (x, y) and returns the new object's id. Ids count up from 1. The
  // object goes after every object whose ordering is not greater than its own.
  int AddObject(const CartoonObjectModel* template_or_null, double x, double y, bool visible = true,
                std::string tag = {});

  // Removes the objects one at a time, always the first. Before each removal
  // `removal_event` (when set) is called with the object's id; it returns
  // false when the box itself no longer exists, which stops the operation
  // without touching the box again. An object the handler already removed is
  // not removed twice.
  void RemoveAllObjects(const std::function<bool(int id)>& removal_event = {});

  // Returns false when no object has this id.
  bool RemoveObject(int id);

  const std::vector<BoxObject>& objects() const { return objects_; }

 private:
  std::vector<BoxObject> objects_;
  int next_id_ = 1;
};

}  // namespace ui
