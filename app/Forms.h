#pragma once

#include <QString>
#include <memory>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"

// The program's five windows, created once in this order and kept until the
// program ends.
struct TForms {
  // dataFolder holds the folder f the game plays with (DataFolder.h).
  explicit TForms(const QString& dataFolder);

  std::unique_ptr<TForm1> Form1;
  std::unique_ptr<TForm2> Form2;
  std::unique_ptr<TForm3> Form3;
  std::unique_ptr<TForm4> Form4;
  std::unique_ptr<TForm5> Form5;
};
