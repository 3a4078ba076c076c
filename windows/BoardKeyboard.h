#pragma once

#include <QObject>
#include <QPointer>
#include <array>
#include <functional>

#include "BoardGrid.h"
#include "GameState.h"

class QKeyEvent;
class QWidget;
class TCBImage;
class TPanel;

// Plays the board from the keyboard. Tab, Shift+Tab and the arrow keys move the focus over the tiles,
// wrapping at the board's edges; Space or Enter clicks the focused tile and Escape covers the board as
// a right-button press between the tiles does. The focused tile is ringed on the board.
//
// Until the keyboard is first used on the board the tiles take no focus at all, so that a mouse
// player's board never shows a ring, even when the window is activated again; a click never moves the
// focus either way.
class TBoardKeyboard : public QObject {
  Q_OBJECT
 public:
  using Tiles = std::array<TCBImage*, kTileCount + 1>;  // [1] .. [20]

  // window receives the keys while no tile has the focus; cover is the board's right-button press.
  TBoardKeyboard(QWidget& window, TPanel& board, const Tiles& tiles, std::function<void()> cover,
                 QObject* parent = nullptr);
  ~TBoardKeyboard() override;

  // Whether the keyboard (or assistive technology) has put the focus on a tile yet.
  bool InUse() const { return inUse_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int TileNumber(const QObject* object) const;
  void StartUse();
  // Rings the focused tile while the keyboard is in use and the board shows; removes the ring otherwise.
  void UpdateRing();
  void Focus(int tile);
  bool HandleWindowKey(const QKeyEvent& key);
  bool HandleTileKey(int tile, const QKeyEvent& key);

  QWidget& window_;
  TPanel& board_;
  Tiles tiles_;
  std::function<void()> cover_;
  // Whether the board still lives: a window deletes its widgets before this.
  QPointer<TPanel> boardAlive_;
  bool inUse_ = false;
};
