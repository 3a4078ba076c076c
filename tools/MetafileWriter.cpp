#include "MetafileWriter.h"

#include <uemf.h>
#include <uwmf.h>

#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr int kUnitsPerInch = 96;

void Require(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("metafile writing failed: ") + what);
}

U_COLORREF ColorRef(const QColor& color) {
  return U_RGB(static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
               static_cast<uint8_t>(color.blue()));
}

std::vector<U_POINT16> Points16(const std::vector<QPoint>& points) {
  std::vector<U_POINT16> result;
  for (const QPoint& p : points)
    result.push_back(point16_set(static_cast<int16_t>(p.x()), static_cast<int16_t>(p.y())));
  return result;
}

std::vector<U_POINT16> AllPoints16(const TVectorShape& shape) {
  std::vector<U_POINT16> result;
  for (const auto& ring : shape.rings) {
    const auto ringPoints = Points16(ring);
    result.insert(result.end(), ringPoints.begin(), ringPoints.end());
  }
  return result;
}

// Shapes that share a colour share one brush or pen object, so the handle tables stay tiny.
using TObjectKey = std::tuple<bool, QRgb, int>;

TObjectKey BrushKey(const QColor& fill) {
  return {true, fill.isValid() ? fill.rgb() : 0u, fill.isValid() ? 1 : 0};
}
TObjectKey PenKey(const QColor& pen, int width) {
  return {false, pen.isValid() ? pen.rgb() : 0u, pen.isValid() ? width : 0};
}

U_RECTL BoundsOf(const std::vector<U_POINT16>& points) {
  int left = points.front().x, top = points.front().y, right = left, bottom = top;
  for (const U_POINT16& p : points) {
    left = std::min<int>(left, p.x);
    top = std::min<int>(top, p.y);
    right = std::max<int>(right, p.x);
    bottom = std::max<int>(bottom, p.y);
  }
  return rectl_set(point32_set(left, top), point32_set(right, bottom));
}

U_RECTL Rectl(const QRect& box) {
  return rectl_set(point32_set(box.left(), box.top()),
                   point32_set(box.left() + box.width(), box.top() + box.height()));
}

U_RECT16 Rect16(const QRect& box) {
  return U_RECT16_set(point16_set(static_cast<int16_t>(box.left()), static_cast<int16_t>(box.top())),
                      point16_set(static_cast<int16_t>(box.left() + box.width()),
                                  static_cast<int16_t>(box.top() + box.height())));
}

std::vector<TVectorShape> WithBackground(const TVectorPicture& picture) {
  std::vector<TVectorShape> shapes;
  if (picture.background.isValid())
    shapes.push_back({TVectorShape::Kind::Rectangle,
                      picture.background,
                      QColor(),
                      1,
                      {},
                      QRect(0, 0, picture.width, picture.height)});
  shapes.insert(shapes.end(), picture.shapes.begin(), picture.shapes.end());
  return shapes;
}

class TWmfRecorder {
 public:
  explicit TWmfRecorder(const QString& path) {
    Require(wmf_start(path.toLocal8Bit().constData(), 64 * 1024, 64 * 1024, &track_) == 0, "wmf_start");
    Require(wmf_htable_create(64, 64, &handles_) == 0, "wmf_htable_create");
  }
  ~TWmfRecorder() {
    if (track_ != nullptr) wmf_free(&track_);
    if (handles_ != nullptr) wmf_htable_free(&handles_);
  }
  TWmfRecorder(const TWmfRecorder&) = delete;
  TWmfRecorder& operator=(const TWmfRecorder&) = delete;

  void Header(int width, int height) {
    U_PAIRF* size =
        U_PAIRF_set(static_cast<float>(width) / kUnitsPerInch, static_cast<float>(height) / kUnitsPerInch);
    char* record = U_WMRHEADER_set(size, kUnitsPerInch);
    free(size);
    Require(record != nullptr && wmf_header_append(reinterpret_cast<U_METARECORD*>(record), track_, 1) == 0,
            "header");
  }
  void Append(char* record) {
    Require(record != nullptr && wmf_append(reinterpret_cast<U_METARECORD*>(record), track_, 1) == 0,
            "record");
  }
  void Select(const TObjectKey& key, const QColor& color, int width) {
    auto found = objects_.find(key);
    if (found == objects_.end()) {
      uint32_t handle = 0;
      char* record = nullptr;
      if (std::get<0>(key)) {
        record = wcreatebrushindirect_set(
            &handle, handles_, U_WLOGBRUSH_set(color.isValid() ? U_BS_SOLID : U_BS_NULL, ColorRef(color), 0));
      } else {
        record = wcreatepenindirect_set(&handle, handles_,
                                        U_PEN_set(color.isValid() ? U_PS_SOLID : U_PS_NULL,
                                                  static_cast<uint16_t>(width), ColorRef(color)));
      }
      Append(record);
      found = objects_.emplace(key, handle).first;
    }
    if (selected_[std::get<0>(key) ? 0 : 1] != found->second) {
      Append(wselectobject_set(found->second, handles_));
      selected_[std::get<0>(key) ? 0 : 1] = found->second;
    }
  }
  void Finish() {
    for (auto& [key, handle] : objects_) Append(wdeleteobject_set(&handle, handles_));
    Append(U_WMREOF_set());
    Require(wmf_finish(track_) == 0, "wmf_finish");
  }

 private:
  WMFTRACK* track_ = nullptr;
  WMFHANDLES* handles_ = nullptr;
  std::map<TObjectKey, uint32_t> objects_;
  uint32_t selected_[2] = {UINT32_MAX, UINT32_MAX};
};

class TEmfRecorder {
 public:
  explicit TEmfRecorder(const QString& path) {
    Require(emf_start(path.toLocal8Bit().constData(), 64 * 1024, 64 * 1024, &track_) == 0, "emf_start");
    Require(emf_htable_create(64, 64, &handles_) == 0, "emf_htable_create");
  }
  ~TEmfRecorder() {
    if (track_ != nullptr) emf_free(&track_);
    if (handles_ != nullptr) emf_htable_free(&handles_);
  }
  TEmfRecorder(const TEmfRecorder&) = delete;
  TEmfRecorder& operator=(const TEmfRecorder&) = delete;

  void Append(char* record) {
    Require(record != nullptr && emf_append(reinterpret_cast<U_ENHMETARECORD*>(record), track_, 1) == 0,
            "record");
  }
  void Select(const TObjectKey& key, const QColor& color, int width) {
    auto found = objects_.find(key);
    if (found == objects_.end()) {
      uint32_t handle = 0;
      char* record = nullptr;
      if (std::get<0>(key)) {
        record = createbrushindirect_set(
            &handle, handles_, logbrush_set(color.isValid() ? U_BS_SOLID : U_BS_NULL, ColorRef(color), 0));
      } else {
        record = createpen_set(
            &handle, handles_,
            logpen_set(color.isValid() ? U_PS_SOLID : U_PS_NULL, point32_set(width, 0), ColorRef(color)));
      }
      Append(record);
      found = objects_.emplace(key, handle).first;
    }
    if (selected_[std::get<0>(key) ? 0 : 1] != found->second) {
      Append(selectobject_set(found->second, handles_));
      selected_[std::get<0>(key) ? 0 : 1] = found->second;
    }
  }
  void Finish() {
    // Stock objects go back in first so no object is deleted while it is selected.
    Append(selectobject_set(U_NULL_PEN, handles_));
    Append(selectobject_set(U_NULL_BRUSH, handles_));
    for (auto& [key, handle] : objects_) Append(deleteobject_set(&handle, handles_));
    Append(U_EMREOF_set(0, nullptr, track_));
    Require(emf_finish(track_, handles_) == 0, "emf_finish");
  }

 private:
  EMFTRACK* track_ = nullptr;
  EMFHANDLES* handles_ = nullptr;
  std::map<TObjectKey, uint32_t> objects_;
  uint32_t selected_[2] = {UINT32_MAX, UINT32_MAX};
};

}  // namespace

void WriteWmf(const TVectorPicture& picture, const QString& path) {
  TWmfRecorder wmf(path);
  wmf.Header(picture.width, picture.height);
  wmf.Append(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
  wmf.Append(U_WMRSETWINDOWORG_set(point16_set(0, 0)));
  wmf.Append(U_WMRSETWINDOWEXT_set(
      point16_set(static_cast<int16_t>(picture.width), static_cast<int16_t>(picture.height))));
  wmf.Append(U_WMRSETBKMODE_set(U_TRANSPARENT));
  wmf.Append(U_WMRSETPOLYFILLMODE_set(U_ALTERNATE));
  for (const TVectorShape& shape : WithBackground(picture)) {
    wmf.Select(BrushKey(shape.fill), shape.fill, 0);
    wmf.Select(PenKey(shape.pen, shape.penWidth), shape.pen, shape.penWidth);
    switch (shape.kind) {
      case TVectorShape::Kind::Polygon: {
        const auto points = Points16(shape.rings.front());
        wmf.Append(U_WMRPOLYGON_set(static_cast<uint16_t>(points.size()), points.data()));
        break;
      }
      case TVectorShape::Kind::PolyPolygon: {
        const auto points = AllPoints16(shape);
        std::vector<uint16_t> counts;
        for (const auto& ring : shape.rings) counts.push_back(static_cast<uint16_t>(ring.size()));
        wmf.Append(U_WMRPOLYPOLYGON_set(static_cast<uint16_t>(counts.size()), counts.data(), points.data()));
        break;
      }
      case TVectorShape::Kind::Ellipse:
        wmf.Append(U_WMRELLIPSE_set(Rect16(shape.box)));
        break;
      case TVectorShape::Kind::Rectangle:
        wmf.Append(U_WMRRECTANGLE_set(Rect16(shape.box)));
        break;
      case TVectorShape::Kind::Polyline: {
        const auto points = Points16(shape.rings.front());
        wmf.Append(U_WMRPOLYLINE_set(static_cast<uint16_t>(points.size()), points.data()));
        break;
      }
    }
  }
  wmf.Finish();
}

void WriteEmf(const TVectorPicture& picture, const QString& path) {
  TEmfRecorder emf(path);
  // A 1920 x 1440 pixel device of 508 x 381 mm is exactly 96 pixels per inch.
  const U_RECTL bounds = rectl_set(point32_set(0, 0), point32_set(picture.width - 1, picture.height - 1));
  const U_RECTL frame = rectl_set(point32_set(0, 0), point32_set(picture.width * 2540 / kUnitsPerInch - 1,
                                                                 picture.height * 2540 / kUnitsPerInch - 1));
  emf.Append(
      U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, sizel_set(1920, 1440), sizel_set(508, 381), 0));
  emf.Append(U_EMRSETMAPMODE_set(U_MM_TEXT));
  emf.Append(U_EMRSETBKMODE_set(U_TRANSPARENT));
  emf.Append(U_EMRSETPOLYFILLMODE_set(U_ALTERNATE));
  for (const TVectorShape& shape : WithBackground(picture)) {
    emf.Select(BrushKey(shape.fill), shape.fill, 0);
    emf.Select(PenKey(shape.pen, shape.penWidth), shape.pen, shape.penWidth);
    switch (shape.kind) {
      case TVectorShape::Kind::Polygon: {
        const auto points = Points16(shape.rings.front());
        emf.Append(U_EMRPOLYGON16_set(BoundsOf(points), static_cast<uint32_t>(points.size()), points.data()));
        break;
      }
      case TVectorShape::Kind::PolyPolygon: {
        const auto points = AllPoints16(shape);
        std::vector<uint32_t> counts;
        for (const auto& ring : shape.rings) counts.push_back(static_cast<uint32_t>(ring.size()));
        emf.Append(U_EMRPOLYPOLYGON16_set(BoundsOf(points), static_cast<uint32_t>(counts.size()),
                                          counts.data(), static_cast<uint32_t>(points.size()),
                                          points.data()));
        break;
      }
      case TVectorShape::Kind::Ellipse:
        emf.Append(U_EMRELLIPSE_set(Rectl(shape.box)));
        break;
      case TVectorShape::Kind::Rectangle:
        emf.Append(U_EMRRECTANGLE_set(Rectl(shape.box)));
        break;
      case TVectorShape::Kind::Polyline: {
        const auto points = Points16(shape.rings.front());
        emf.Append(
            U_EMRPOLYLINE16_set(BoundsOf(points), static_cast<uint32_t>(points.size()), points.data()));
        break;
      }
    }
  }
  emf.Finish();
}
