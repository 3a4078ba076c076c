#pragma once

#include <QAccessibleWidget>

class TCBImage;

// A picture tile as assistive technology sees it: a button that can take the focus and be pressed,
// checked while it shows a face. Pressing it is a click on the tile, refused where the mouse could not
// reach it either (hidden, disabled, or behind a modal window).
class TTileAccessibleInterface : public QAccessibleWidget {
 public:
  explicit TTileAccessibleInterface(TCBImage* tile);

  QAccessible::State state() const override;
  QStringList actionNames() const override;
  void doAction(const QString& actionName) override;
  QStringList keyBindingsForAction(const QString& actionName) const override;
};

// Makes every picture tile created from now on use TTileAccessibleInterface; safe to call repeatedly.
void InstallTileAccessibleInterface();
