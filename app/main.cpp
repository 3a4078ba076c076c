#include <QWidget>

#include "Application.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("ZUM"));
  window.resize(595, 495);
  window.show();
  return app.exec();
}
