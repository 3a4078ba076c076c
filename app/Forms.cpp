#include "Forms.h"

TForms::TForms(const QString& dataFolder)
    : Form1(std::make_unique<TForm1>(dataFolder)),
      Form2(std::make_unique<TForm2>()),
      Form3(std::make_unique<TForm3>(*Form1)),
      Form4(std::make_unique<TForm4>()),
      Form5(std::make_unique<TForm5>()) {
  Form1->SetAboutBox(Form2.get());
  Form1->SetGameOverWindow(Form3.get());
}
