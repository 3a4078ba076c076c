#include "Application.h"
#include "Forms.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  // The pictures live in the folder f beside the program file;
  // applicationDirPath() resolves the running executable's real path, so a
  // symlink elsewhere still finds it.
  TForms forms(QCoreApplication::applicationDirPath());
  forms.Form1->show();
  return app.exec();
}
