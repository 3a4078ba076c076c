#include "AlignLayout.h"

#include <algorithm>

std::vector<QRect> AlignRects(const QRect& area, const std::vector<AlignedChild>& children) {
  std::vector<QRect> result;
  result.reserve(children.size());
  for (const AlignedChild& child : children) result.push_back(child.geometry);

  int left = area.left();
  int top = area.top();
  int right = area.left() + area.width();
  int bottom = area.top() + area.height();
  auto place = [&](TAlign align) {
    for (std::size_t i = 0; i < children.size(); ++i) {
      if (children[i].align != align) continue;
      const QRect& g = children[i].geometry;
      switch (align) {
        case TAlign::alTop:
          result[i] = QRect(left, top, std::max(0, right - left), g.height());
          top += g.height();
          break;
        case TAlign::alBottom:
          bottom -= g.height();
          result[i] = QRect(left, bottom, std::max(0, right - left), g.height());
          break;
        case TAlign::alLeft:
          result[i] = QRect(left, top, g.width(), std::max(0, bottom - top));
          left += g.width();
          break;
        case TAlign::alRight:
          right -= g.width();
          result[i] = QRect(right, top, g.width(), std::max(0, bottom - top));
          break;
        case TAlign::alClient:
          result[i] = QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
          break;
        case TAlign::alNone:
          break;
      }
    }
  };
  for (TAlign align : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient})
    place(align);
  return result;
}
