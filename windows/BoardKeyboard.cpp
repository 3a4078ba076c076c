#include "BoardKeyboard.h"

#include <QApplication>
#include <QKeyEvent>
#include <optional>

#include "CBImage.h"
#include "Panel.h"

namespace {
// Keys that move the focus count with no modifier but the keypad's; Shift+Tab arrives as Backtab.
std::optional<TTileStep> StepFor(const QKeyEvent& key) {
  if ((key.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) != Qt::NoModifier) return std::nullopt;
  const bool shift = key.modifiers() & Qt::ShiftModifier;
  switch (key.key()) {
    case Qt::Key_Tab:
      return shift ? TTileStep::Previous : TTileStep::Next;
    case Qt::Key_Backtab:
      return TTileStep::Previous;
    default:
      break;
  }
  if (shift) return std::nullopt;
  switch (key.key()) {
    case Qt::Key_Left:
      return TTileStep::Left;
    case Qt::Key_Right:
      return TTileStep::Right;
    case Qt::Key_Up:
      return TTileStep::Up;
    case Qt::Key_Down:
      return TTileStep::Down;
    default:
      return std::nullopt;
  }
}

bool IsPlain(const QKeyEvent& key) {
  return (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

bool IsPress(const QKeyEvent& key) {
  return IsPlain(key) &&
         (key.key() == Qt::Key_Space || key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter);
}
}  // namespace

TBoardKeyboard::TBoardKeyboard(QWidget& window, TPanel& board, const Tiles& tiles,
                               std::function<void()> cover, QObject* parent)
    : QObject(parent),
      window_(window),
      board_(board),
      tiles_(tiles),
      cover_(std::move(cover)),
      boardAlive_(&board) {
  window_.installEventFilter(this);
  board_.installEventFilter(this);
  for (int n = 1; n <= kTileCount; ++n) {
    tiles_[static_cast<std::size_t>(n)]->setFocusPolicy(Qt::NoFocus);
    tiles_[static_cast<std::size_t>(n)]->installEventFilter(this);
  }
}

TBoardKeyboard::~TBoardKeyboard() {
  if (!boardAlive_) return;  // the tiles, its children, are gone too
  board_.SetFocusRing({});
  for (int n = 1; n <= kTileCount; ++n) tiles_[static_cast<std::size_t>(n)]->setFocusPolicy(Qt::NoFocus);
}

int TBoardKeyboard::TileNumber(const QObject* object) const {
  for (int n = 1; n <= kTileCount; ++n)
    if (tiles_[static_cast<std::size_t>(n)] == object) return n;
  return 0;
}

void TBoardKeyboard::StartUse() {
  if (inUse_) return;
  inUse_ = true;
  // From now on Qt may also give a tile the focus by itself, as when the window is activated again.
  for (int n = 1; n <= kTileCount; ++n) tiles_[static_cast<std::size_t>(n)]->setFocusPolicy(Qt::TabFocus);
}

void TBoardKeyboard::UpdateRing() {
  const int focused = inUse_ && board_.isVisible() ? TileNumber(QApplication::focusWidget()) : 0;
  board_.SetFocusRing(focused != 0 ? tiles_[static_cast<std::size_t>(focused)]->geometry() : QRect());
}

void TBoardKeyboard::Focus(int tile) {
  StartUse();
  tiles_[static_cast<std::size_t>(tile)]->setFocus(Qt::TabFocusReason);
}

bool TBoardKeyboard::HandleWindowKey(const QKeyEvent& key) {
  if (!board_.isVisible() || TileNumber(window_.focusWidget()) != 0) return false;
  const std::optional<TTileStep> step = StepFor(key);
  if (!step) return false;
  Focus(*step == TTileStep::Previous ? kTileCount : 1);
  return true;
}

bool TBoardKeyboard::HandleTileKey(int tile, const QKeyEvent& key) {
  // A tile may keep the focus while the board is hidden; the keys must not reach what the mouse cannot.
  if (!board_.isVisible()) return false;
  if (const std::optional<TTileStep> step = StepFor(key)) {
    Focus(TileAfterStep(tile, *step));
    return true;
  }
  if (IsPress(key)) {
    // A held key is one click, as a held mouse button is.
    if (!key.isAutoRepeat()) tiles_[static_cast<std::size_t>(tile)]->Click();
    return true;
  }
  if (IsPlain(key) && key.key() == Qt::Key_Escape) {
    if (!key.isAutoRepeat()) cover_();
    return true;
  }
  return false;
}

bool TBoardKeyboard::eventFilter(QObject* watched, QEvent* event) {
  const int tile = TileNumber(watched);
  switch (event->type()) {
    case QEvent::KeyPress:
      if (tile != 0) return HandleTileKey(tile, static_cast<const QKeyEvent&>(*event));
      if (watched == &window_) return HandleWindowKey(static_cast<const QKeyEvent&>(*event));
      break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
      if (tile != 0) {
        // Only keys and assistive technology can focus a tile that takes no focus.
        if (event->type() == QEvent::FocusIn) StartUse();
        UpdateRing();
      }
      break;
    case QEvent::Show:
    case QEvent::Hide:
      // A hidden tile may keep the focus, and has it again when the board shows.
      if (watched == &board_) UpdateRing();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}
