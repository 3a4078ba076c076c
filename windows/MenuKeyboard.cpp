#include "MenuKeyboard.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

namespace {
QChar Initial(const QAction* action) {
  for (const QChar c : action->text())
    if (c.isLetterOrNumber()) return c.toUpper();
  return {};
}

// Opens the entry's menu with its first command highlighted, as desktop menus opened from the keyboard do.
void Open(QMenuBar& bar, QAction* entry) {
  if (!entry->isEnabled() || !entry->isVisible()) return;
  QMenu* menu = entry->menu();
  if (!menu) {
    entry->trigger();
    return;
  }
  bar.setActiveAction(entry);
  for (QAction* item : menu->actions()) {
    if (item->isEnabled() && item->isVisible() && !item->isSeparator()) {
      menu->setActiveAction(item);
      break;
    }
  }
}
}  // namespace

QList<QChar> MenuBarInitials(const QList<QAction*>& entries) {
  QList<QChar> initials;
  for (const QAction* entry : entries) initials.push_back(Initial(entry));
  for (qsizetype i = 0; i < initials.size(); ++i) {
    if (initials[i].isNull() || initials.count(initials[i]) == 1) continue;
    const QChar shared = initials[i];
    for (QChar& c : initials)
      if (c == shared) c = QChar();
  }
  return initials;
}

void AddMenuBarKeys(QWidget& window, QMenuBar& bar) {
  const QList<QAction*> entries = bar.actions();
  if (entries.isEmpty()) return;
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), &window);
  QObject::connect(f10, &QShortcut::activated, &bar, [&bar, first = entries.first()] { Open(bar, first); });
  const QList<QChar> initials = MenuBarInitials(entries);
  for (qsizetype i = 0; i < entries.size(); ++i) {
    if (initials[i].isNull()) continue;
    const auto key = static_cast<Qt::Key>(initials[i].unicode());
    auto* alt = new QShortcut(QKeySequence(QKeyCombination(Qt::AltModifier, key)), &window);
    QObject::connect(alt, &QShortcut::activated, &bar, [&bar, entry = entries[i]] { Open(bar, entry); });
  }
}
