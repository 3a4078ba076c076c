#include "VectorMotifs.h"

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <tuple>

#include "MetaDrawingBuilder.h"

namespace {

// Motifs are laid out on a 190-unit square and scaled to the requested size.
class TMotifCanvas {
 public:
  TMotifCanvas(TMetaDrawing& picture, int size) : picture_(picture), scale_(size / 190.0) {}

  QPoint P(double x, double y) const {
    return QPoint(static_cast<int>(std::lround(x * scale_)), static_cast<int>(std::lround(y * scale_)));
  }
  QRect R(double x, double y, double w, double h) const {
    const QPoint a = P(x, y), b = P(x + w, y + h);
    return QRect(a, QSize(b.x() - a.x(), b.y() - a.y()));
  }
  int W(double width) const { return std::max(1, static_cast<int>(std::lround(width * scale_))); }

  void Polygon(const QColor& c, std::initializer_list<std::pair<double, double>> points) {
    std::vector<QPoint> ring;
    for (const auto& [x, y] : points) ring.push_back(P(x, y));
    AddPolygon(picture_, c, std::move(ring));
  }
  // A regular star or polygon: corners alternate between the outer and inner radius.
  std::vector<QPoint> Star(double cx, double cy, int corners, double outer, double inner, double turn) const {
    std::vector<QPoint> ring;
    const int count = inner > 0 ? corners * 2 : corners;
    for (int i = 0; i < count; ++i) {
      const double r = (inner > 0 && i % 2 == 1) ? inner : outer;
      const double a = turn + i * 2.0 * std::numbers::pi / count;
      ring.push_back(P(cx + r * std::sin(a), cy - r * std::cos(a)));
    }
    return ring;
  }

  TMetaDrawing& picture_;
  double scale_;
};

const QColor kInk(60, 50, 70);

void Estrella(TMotifCanvas& c) {
  AddPolygon(c.picture_, QColor(255, 196, 30), c.Star(95, 100, 5, 80, 34, 0));
  AddPolygon(c.picture_, QColor(255, 228, 110), c.Star(95, 100, 5, 44, 19, 0));
  AddPolyline(c.picture_, QColor(200, 120, 0), c.W(4), [&] {
    auto ring = c.Star(95, 100, 5, 80, 34, 0);
    ring.push_back(ring.front());
    return ring;
  }());
}

void Casa(TMotifCanvas& c) {
  AddRectangle(c.picture_, QColor(120, 190, 90), c.R(10, 150, 170, 30));
  AddRectangle(c.picture_, QColor(250, 235, 200), c.R(40, 85, 110, 70));
  c.Polygon(QColor(200, 60, 50), {{25, 92}, {95, 28}, {165, 92}});
  AddRectangle(c.picture_, QColor(200, 60, 50), c.R(120, 38, 16, 34));
  AddRectangle(c.picture_, QColor(130, 80, 40), c.R(82, 112, 26, 43));
  AddRectangle(c.picture_, QColor(110, 180, 230), c.R(50, 100, 24, 22));
  AddRectangle(c.picture_, QColor(110, 180, 230), c.R(116, 100, 24, 22));
  AddPolyline(c.picture_, QColor(255, 255, 255), c.W(3), {c.P(62, 100), c.P(62, 122)});
  AddPolyline(c.picture_, QColor(255, 255, 255), c.W(3), {c.P(128, 100), c.P(128, 122)});
}

void Sol(TMotifCanvas& c) {
  for (int i = 0; i < 12; ++i) {
    const double a = i * std::numbers::pi / 6;
    AddPolyline(c.picture_, QColor(255, 150, 20), c.W(9),
                {c.P(95 + 52 * std::sin(a), 95 - 52 * std::cos(a)),
                 c.P(95 + 82 * std::sin(a), 95 - 82 * std::cos(a))});
  }
  AddEllipse(c.picture_, QColor(255, 205, 40), c.R(50, 50, 90, 90), QColor(255, 150, 20), c.W(5));
  AddEllipse(c.picture_, kInk, c.R(72, 80, 12, 14));
  AddEllipse(c.picture_, kInk, c.R(106, 80, 12, 14));
  AddPolyline(c.picture_, kInk, c.W(5), {c.P(75, 110), c.P(85, 120), c.P(105, 120), c.P(115, 110)});
}

void Luna(TMotifCanvas& c) {
  // The crescent is a disc with a second disc of sky colour over one side.
  AddEllipse(c.picture_, QColor(250, 220, 70), c.R(35, 25, 130, 130));
  AddEllipse(c.picture_, QColor(45, 55, 120), c.R(72, 10, 118, 118));
  for (const auto& [x, y, r] :
       {std::tuple{45.0, 35.0, 8.0}, {170.0, 112.0, 7.0}, {155.0, 155.0, 10.0}, {30.0, 170.0, 6.0}})
    AddPolygon(c.picture_, QColor(255, 240, 150), c.Star(x, y, 4, r * 1.6, r * 0.45, 0));
}

void Arbol(TMotifCanvas& c) {
  AddRectangle(c.picture_, QColor(130, 85, 45), c.R(83, 115, 24, 60));
  AddEllipse(c.picture_, QColor(60, 150, 60), c.R(30, 40, 80, 80));
  AddEllipse(c.picture_, QColor(60, 150, 60), c.R(80, 40, 80, 80));
  AddEllipse(c.picture_, QColor(80, 175, 70), c.R(50, 12, 90, 90));
  for (const auto& [x, y] : {std::pair{60.0, 70.0}, {120.0, 55.0}, {95.0, 95.0}, {135.0, 95.0}, {80.0, 40.0}})
    AddEllipse(c.picture_, QColor(230, 50, 50), c.R(x, y, 14, 14));
  AddRectangle(c.picture_, QColor(120, 190, 90), c.R(15, 172, 160, 10));
}

void Semaforo(TMotifCanvas& c) {
  AddRectangle(c.picture_, QColor(90, 90, 95), c.R(88, 150, 14, 35));
  AddRectangle(c.picture_, QColor(45, 45, 50), c.R(60, 10, 70, 145));
  AddEllipse(c.picture_, QColor(235, 45, 40), c.R(72, 20, 46, 40));
  AddEllipse(c.picture_, QColor(250, 200, 30), c.R(72, 64, 46, 40));
  AddEllipse(c.picture_, QColor(50, 200, 80), c.R(72, 108, 46, 40));
}

void Diana(TMotifCanvas& c) {
  const QColor rings[] = {QColor(230, 50, 50), QColor(255, 255, 255), QColor(230, 50, 50),
                          QColor(255, 255, 255), QColor(230, 50, 50)};
  for (int i = 0; i < 5; ++i)
    AddEllipse(c.picture_, rings[i], c.R(15 + i * 16, 15 + i * 16, 160 - i * 32, 160 - i * 32));
  AddPolyline(c.picture_, QColor(90, 60, 30), c.W(6), {c.P(95, 95), c.P(165, 25)});
  c.Polygon(QColor(40, 110, 200), {{165, 25}, {185, 10}, {178, 30}});
  c.Polygon(QColor(40, 110, 200), {{165, 25}, {150, 12}, {170, 5}});
}

void Cometa(TMotifCanvas& c) {
  AddPolyline(c.picture_, QColor(90, 90, 110), c.W(3),
              {c.P(95, 125), c.P(80, 145), c.P(100, 160), c.P(80, 178), c.P(96, 188)});
  c.Polygon(QColor(240, 70, 110), {{95, 10}, {150, 60}, {95, 60}});
  c.Polygon(QColor(255, 190, 40), {{150, 60}, {95, 125}, {95, 60}});
  c.Polygon(QColor(60, 140, 230), {{95, 125}, {40, 60}, {95, 60}});
  c.Polygon(QColor(60, 200, 140), {{40, 60}, {95, 10}, {95, 60}});
  AddPolyline(c.picture_, QColor(255, 255, 255), c.W(3), {c.P(95, 10), c.P(95, 125)});
  AddPolyline(c.picture_, QColor(255, 255, 255), c.W(3), {c.P(40, 60), c.P(150, 60)});
  c.Polygon(QColor(240, 70, 110), {{80, 142}, {70, 135}, {72, 150}});
  c.Polygon(QColor(60, 140, 230), {{100, 160}, {110, 152}, {110, 168}});
}

}  // namespace

TMetaDrawing DrawMotif(const std::string& word, const QColor& background, int size) {
  TMetaDrawing picture = MakeDrawing(size, size, word == "luna" ? QColor(45, 55, 120) : background);
  TMotifCanvas canvas(picture, size);
  if (word == "estrella")
    Estrella(canvas);
  else if (word == "casa")
    Casa(canvas);
  else if (word == "sol")
    Sol(canvas);
  else if (word == "luna")
    Luna(canvas);
  else if (word == "arbol")
    Arbol(canvas);
  else if (word == "semaforo")
    Semaforo(canvas);
  else if (word == "diana")
    Diana(canvas);
  else if (word == "cometa")
    Cometa(canvas);
  else
    throw std::invalid_argument("no motif for " + word);
  return picture;
}
