#pragma once

#include <QChar>
#include <QList>

class QAction;
class QMenuBar;
class QWidget;

// The letter that Alt combines with to reach each entry of a menu bar: the first letter of its
// caption, left out where two entries share it. Indexes follow the entries.
QList<QChar> MenuBarInitials(const QList<QAction*>& entries);

// Keyboard access to a menu bar whose captions carry no access-key markers: F10 opens the first menu
// and Alt with an entry's initial opens its menu, or acts at once for an entry without one, as a click
// on it does. Neither is shown in the captions.
void AddMenuBarKeys(QWidget& window, QMenuBar& bar);
