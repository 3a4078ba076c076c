#include <QCoreApplication>
#include <QProcessEnvironment>
#include <memory>

#include "AfterFirstPaint.h"
#include "Application.h"
#include "DataFolder.h"
#include "FirstPair.h"
#include "Forms.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  // The pictures live in the player's own folder f, or else in the one beside the program file;
  // applicationDirPath() resolves the running executable's real path, so a symlink elsewhere still
  // finds it.
  TForms forms(DataFolder(QProcessEnvironment::systemEnvironment(), QCoreApplication::applicationDirPath()));
  TForm1& form1 = *forms.Form1;
  // Hooks for driving the real program from outside, each once the main window has painted:
  // ZUM_EXIT_AFTER_FIRST_PAINT=1 ends the run, so that a benchmark can time the start-up;
  // ZUM_PLAY_FIRST_PAIR=1 finds a pair, so that a test can signal a game whose match sound has played.
  std::unique_ptr<TAfterFirstPaint> hook;
  if (qEnvironmentVariableIntValue("ZUM_EXIT_AFTER_FIRST_PAINT") == 1)
    hook = std::make_unique<TAfterFirstPaint>(form1, &QCoreApplication::quit);
  else if (qEnvironmentVariableIntValue("ZUM_PLAY_FIRST_PAIR") == 1)
    hook = std::make_unique<TAfterFirstPaint>(form1, [&form1] { PlayFirstPair(form1); });
  form1.show();
  return app.exec();
}
