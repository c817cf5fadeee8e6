#include "ui/cartoon_model.h"

#include <algorithm>
#include <array>
#include <utility>

#include "ui/png_decoder.h"

namespace ui {
namespace {

constexpr std::array<uint8_t, 8> kPngSignature = {137, 'P', 'N', 'G', 13, 10, 26, 10};

bool StartsWithPngSignature(std::span<const uint8_t> bytes) {
  return bytes.size() > 7 && std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin());
}

}  // namespace

void CartoonObjectModel::SetPictureBytes(std::span<const uint8_t> bytes) {
  bytes_.assign(bytes.begin(), bytes.end());
  Rebuild();
}

void CartoonObjectModel::SetSettings(CartoonObjectSettings settings) {
  settings_ = std::move(settings);
  Rebuild();
}

void CartoonObjectModel::Rebuild() {
  picture_.reset();
  // An object with text shows the text (drawn by the widget with its font and
  // colour) and ignores its picture bytes, so it has no image here.
  if (!settings_.text.empty()) return;
  // Only PNG pictures are ever written into the object; GIF and the other
  // formats have no decoder and give no image.
  if (!StartsWithPngSignature(bytes_)) return;
  std::optional<Picture> decoded = DecodePng(bytes_);
  if (!decoded || decoded->frames.empty()) return;
  for (PictureFrame& frame : decoded->frames) {
    if (settings_.colour_key_from_top_left && frame.pixels.size() >= 4) {
      frame.colour_key = uint32_t{frame.pixels[0]} | uint32_t{frame.pixels[1]} << 8 |
                         uint32_t{frame.pixels[2]} << 16;
    } else {
      frame.colour_key = settings_.colour_key;
    }
  }
  picture_ = std::make_shared<const Picture>(std::move(*decoded));
}

int CartoonBoxModel::AddObject(const CartoonObjectModel* template_or_null, double x, double y,
                               bool visible, std::string tag) {
  BoxObject object;
  object.id = next_id_++;
  object.x = x;
  object.y = y;
  object.visible = visible;
  object.tag = std::move(tag);
  if (template_or_null != nullptr) {
    object.picture = template_or_null->picture();
    object.transparency_percent = template_or_null->settings().transparency_percent;
    object.ordering = template_or_null->settings().ordering;
  }
  // After the last object whose ordering is not greater than the new one's.
  auto after = std::find_if(objects_.rbegin(), objects_.rend(), [&](const BoxObject& other) {
                 return other.ordering <= object.ordering;
               }).base();
  const int id = object.id;
  objects_.insert(after, std::move(object));
  return id;
}

void CartoonBoxModel::RemoveAllObjects(const std::function<bool(int id)>& removal_event) {
  while (!objects_.empty()) {
    const int id = objects_.front().id;
    if (removal_event && !removal_event(id)) return;  // the box is gone: touch nothing
    RemoveObject(id);
  }
}

bool CartoonBoxModel::RemoveObject(int id) {
  auto found = std::find_if(objects_.begin(), objects_.end(),
                            [id](const BoxObject& object) { return object.id == id; });
  if (found == objects_.end()) return false;
  objects_.erase(found);
  return true;
}

}  // namespace ui
