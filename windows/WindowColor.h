#pragma once

#include "TColor.h"

class QWidget;

// Fills the widget's background with a colour of the window layouts.
void SetWindowColor(QWidget& widget, TColor color);
