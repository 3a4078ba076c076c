// zum-render [--size N] FILE OUT.png: draws a picture file as a game tile decodes it, scaled into
// N x N (256 by default) keeping its proportions, on a transparent background, and prints its
// natural width and height. A file the tile would show empty writes nothing and exits 0; any other
// failure is printed on stderr and exits 1.
#include <QGuiApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "FontSubstitutions.h"
#include "RenderPicture.h"

namespace {
constexpr int kDefaultSide = 256;
// Large enough for any use of a preview; a bigger square would only waste memory.
constexpr int kMaxSide = 8192;

int Usage() {
  std::fputs("usage: zum-render [--size N] FILE OUT.png\n", stderr);
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  // Text and image plugins need a GUI application; no display is ever needed.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  InstallFontSubstitutes();
  QStringList args = QCoreApplication::arguments().mid(1);
  int side = kDefaultSide;
  if (args.size() >= 2 && args.front() == QLatin1String("--size")) {
    bool ok = false;
    side = args.at(1).toInt(&ok);
    if (!ok || side < 1 || side > kMaxSide) return Usage();
    args = args.mid(2);
  }
  if (args.size() != 2) return Usage();
  try {
    const TRenderedPicture rendered = RenderPictureFile(args.at(0), side);
    if (rendered.image.isNull()) return 0;
    std::printf("%d %d\n", rendered.natural.width(), rendered.natural.height());
    if (!rendered.image.save(args.at(1), "PNG")) {
      std::fprintf(stderr, "zum-render: cannot write %s\n", qPrintable(args.at(1)));
      return 1;
    }
  } catch (const std::bad_alloc&) {
    std::fputs("zum-render: out of memory\n", stderr);
    return 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zum-render: %s\n", error.what());
    return 1;
  }
  return 0;
}
