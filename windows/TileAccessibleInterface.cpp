#include "TileAccessibleInterface.h"

#include <QApplication>

#include "CBImage.h"
#include "TileAccessibility.h"

namespace {
QAccessibleInterface* CreateTileInterface(const QString& className, QObject* object) {
  if (className != QLatin1String(TCBImage::staticMetaObject.className())) return nullptr;
  auto* tile = qobject_cast<TCBImage*>(object);
  return tile ? new TTileAccessibleInterface(tile) : nullptr;
}

bool ReachableByMouse(const QWidget& widget) {
  if (!widget.isVisible() || !widget.isEnabled()) return false;
  const QWidget* modal = QApplication::activeModalWidget();
  return !modal || modal == widget.window();
}
}  // namespace

TTileAccessibleInterface::TTileAccessibleInterface(TCBImage* tile)
    : QAccessibleWidget(tile, QAccessible::Button) {}

QAccessible::State TTileAccessibleInterface::state() const {
  QAccessible::State state = QAccessibleWidget::state();
  // A tile takes the focus from the keyboard only once the keyboard is used, but it can always be
  // given it.
  state.focusable = true;
  state.checkable = true;
  state.checked = TileShowsFace(*widget());
  return state;
}

QStringList TTileAccessibleInterface::actionNames() const {
  return {pressAction(), setFocusAction()};
}

void TTileAccessibleInterface::doAction(const QString& actionName) {
  if (!ReachableByMouse(*widget())) return;
  if (actionName == pressAction())
    static_cast<TCBImage*>(widget())->Click();
  else if (actionName == setFocusAction())
    widget()->setFocus(Qt::OtherFocusReason);
}

QStringList TTileAccessibleInterface::keyBindingsForAction(const QString& actionName) const {
  if (actionName == pressAction()) return {QStringLiteral("Space"), QStringLiteral("Return")};
  return {};
}

void InstallTileAccessibleInterface() {
  static const bool installed = [] {
    QAccessible::installFactory(&CreateTileInterface);
    return true;
  }();
  (void)installed;
}
