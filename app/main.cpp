#include <QEvent>
#include <QTimer>

#include "Application.h"
#include "Forms.h"

namespace {
// ZUM_EXIT_AFTER_FIRST_PAINT=1 ends the run once the main window has painted, so that a benchmark
// can time the start-up of the program itself.
class TQuitAfterFirstPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !quitting_) {
      quitting_ = true;
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool quitting_ = false;
};
}  // namespace

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  // The pictures live in the folder f beside the program file;
  // applicationDirPath() resolves the running executable's real path, so a
  // symlink elsewhere still finds it.
  TForms forms(QCoreApplication::applicationDirPath());
  TQuitAfterFirstPaint quitAfterFirstPaint;
  if (qEnvironmentVariableIntValue("ZUM_EXIT_AFTER_FIRST_PAINT") == 1)
    forms.Form1->installEventFilter(&quitAfterFirstPaint);
  forms.Form1->show();
  return app.exec();
}
