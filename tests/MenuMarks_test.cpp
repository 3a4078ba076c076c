// The marks of the menus by the pixels of the open menu: "Pausa" shows a tick while marked and
// nothing beside its text while not; the difficulty items show their bullet only on the marked one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QStyleFactory>
#include <cstdlib>
#include <memory>

#include "OffscreenGame.h"

namespace {

// Whether a pixel stands out from the background of its item.
bool IsInk(QRgb pixel, QRgb background) {
  return std::abs(qRed(pixel) - qRed(background)) + std::abs(qGreen(pixel) - qGreen(background)) +
             std::abs(qBlue(pixel) - qBlue(background)) >
         48;
}

// An open menu as the player sees it, with the place of each of its items.
struct RenderedMenu {
  QImage image;
  QMenu* menu = nullptr;

  QRect Row(QAction* action) const { return menu->actionGeometry(action); }
  // The item's own background, right of its text.
  QRgb Background(const QRect& row) const { return image.pixel(row.right() - 3, row.center().y()); }
  // The pixels of the item standing out from its background, within its frame, from column left on.
  QRect InkBox(QAction* action, int left, int right) const {
    const QRect row = Row(action);
    const QRgb background = Background(row);
    QRect box;
    for (int y = row.top() + 2; y <= row.bottom() - 2; ++y)
      for (int x = left; x <= right; ++x)
        if (IsInk(image.pixel(x, y), background)) box |= QRect(x, y, 1, 1);
    return box;
  }
  // Where the item's first mark lies, text or not.
  int LeftmostInk(QAction* action) const {
    const QRect row = Row(action);
    return InkBox(action, row.left() + 2, row.right() - 4).left();
  }
  QImage RowImage(QAction* action, int fromX) const {
    const QRect row = Row(action);
    return image.copy(QRect(QPoint(fromX, row.top()), row.bottomRight()));
  }
};

// Run under each style the toolkit ships: Fusion, the default, marks a command with a check box of
// its own, the Windows style with a tick.
class MenuMarks : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    savedStyle_ = QApplication::style()->name();
    QApplication::setStyle(QStyleFactory::create(QString::fromLatin1(GetParam())));
    game_ = std::make_unique<OffscreenGame>();
  }
  void TearDown() override {
    game_.reset();
    QApplication::setStyle(QStyleFactory::create(savedStyle_));
  }

  TForm1& f1() { return game_->f1(); }
  OffscreenGame& game() { return *game_; }

  // Opens the menu away from the pointer, with no item highlighted or with the one given, and takes
  // its picture.
  RenderedMenu Render(QMenu* menu, QAction* highlighted = nullptr) {
    menu->popup(f1().mapToGlobal(QPoint(200, 150)));
    QApplication::processEvents();
    if (highlighted) menu->setActiveAction(highlighted);
    QApplication::processEvents();
    RenderedMenu rendered{menu->grab().toImage(), menu};
    menu->hide();
    QApplication::processEvents();
    return rendered;
  }

  // The column where the text of "Nueva partida", a command that is never marked, begins.
  static int TextX(const RenderedMenu& juego) { return juego.LeftmostInk(juego.menu->actions()[0]); }

  void ExpectNothingLeftOfPausa(const RenderedMenu& juego) {
    const int textX = TextX(juego);
    ASSERT_GT(textX, 0);
    const QRect row = juego.Row(f1().Pausa1);
    EXPECT_TRUE(juego.InkBox(f1().Pausa1, row.left() + 2, textX - 3).isEmpty())
        << "something drawn left of \"Pausa\" at "
        << juego.InkBox(f1().Pausa1, row.left() + 2, textX - 3).left();
    // "P" and "N" both start with an upright stroke; "A" leans, so its first pixel may lie one off.
    EXPECT_EQ(juego.LeftmostInk(f1().Pausa1), textX);
    EXPECT_NEAR(juego.LeftmostInk(f1().Abortar1), textX, 1);
  }

  // The tick left of "Pausa": present, apart from the text, and not a box around a mark.
  void ExpectTickLeftOfPausa(const RenderedMenu& juego) {
    const int textX = TextX(juego);
    const QRect row = juego.Row(f1().Pausa1);
    const QRect tick = juego.InkBox(f1().Pausa1, row.left() + 2, textX - 3);
    ASSERT_FALSE(tick.isEmpty()) << "no mark left of \"Pausa\"";
    EXPECT_GE(tick.width(), 5);
    EXPECT_GE(tick.height(), 5);
    // A tick leaves the top left and bottom right corners of its box empty, where a check box has
    // its frame; the stroke covers well under half of its box.
    const QRgb background = juego.Background(row);
    EXPECT_FALSE(IsInk(juego.image.pixel(tick.topLeft()), background));
    EXPECT_FALSE(IsInk(juego.image.pixel(tick.bottomRight()), background));
    int ink = 0;
    for (int y = tick.top(); y <= tick.bottom(); ++y)
      for (int x = tick.left(); x <= tick.right(); ++x) ink += IsInk(juego.image.pixel(x, y), background);
    EXPECT_LT(ink * 2, tick.width() * tick.height());
  }

 private:
  QString savedStyle_;
  std::unique_ptr<OffscreenGame> game_;
};

TEST_P(MenuMarks, UnmarkedPausaShowsNothingBesideItsTextDisabledOrNot) {
  ASSERT_FALSE(f1().Pausa1->isEnabled());
  ExpectNothingLeftOfPausa(Render(f1().Juego1));
  game().NewGame();
  ASSERT_TRUE(f1().Pausa1->isEnabled());
  ASSERT_FALSE(f1().Pausa1->isChecked());
  ExpectNothingLeftOfPausa(Render(f1().Juego1));
}

TEST_P(MenuMarks, MarkedPausaShowsATickAndItsTextStaysInPlace) {
  game().NewGame();
  const RenderedMenu running = Render(f1().Juego1);
  f1().Pausa1->trigger();
  ASSERT_TRUE(f1().Pausa1->isChecked());
  const RenderedMenu paused = Render(f1().Juego1);
  ExpectTickLeftOfPausa(paused);
  const int textX = TextX(paused);
  EXPECT_EQ(textX, TextX(running));
  EXPECT_EQ(paused.RowImage(f1().Pausa1, textX - 1), running.RowImage(f1().Pausa1, textX - 1))
      << "the text of \"Pausa\" moved or changed with its mark";

  f1().Pausa1->trigger();
  ASSERT_FALSE(f1().Pausa1->isChecked());
  ExpectNothingLeftOfPausa(Render(f1().Juego1));
}

TEST_P(MenuMarks, AHighlightedPausaShowsItsMarkOnlyWhileMarked) {
  game().NewGame();
  ExpectNothingLeftOfPausa(Render(f1().Juego1, f1().Pausa1));
  f1().Pausa1->trigger();
  ExpectTickLeftOfPausa(Render(f1().Juego1, f1().Pausa1));
}

TEST_P(MenuMarks, AMarkKeptAfterTheGameShowsDisabled) {
  game().NewGame();
  f1().Pausa1->trigger();
  game().Abort();
  ASSERT_FALSE(f1().Pausa1->isEnabled());
  ASSERT_TRUE(f1().Pausa1->isChecked());
  ExpectTickLeftOfPausa(Render(f1().Juego1));
}

TEST_P(MenuMarks, DifficultyItemsShowTheirBulletOnlyOnTheMarkedOne) {
  for (const int marked : {1, 7}) {
    f1().N[static_cast<std::size_t>(marked)]->trigger();
    const RenderedMenu dificultad = Render(f1().Dificultad1);
    // The text of "2", an unmarked item, begins where no item's mark reaches.
    const int textX = dificultad.LeftmostInk(f1().N[marked == 1 ? 2 : 1]);
    for (int setting = 1; setting <= 10; ++setting) {
      QAction* item = f1().N[static_cast<std::size_t>(setting)];
      const QRect row = dificultad.Row(item);
      const bool bullet = !dificultad.InkBox(item, row.left() + 2, textX - 3).isEmpty();
      EXPECT_EQ(bullet, setting == marked) << "item " << setting << " with " << marked << " marked";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Styles, MenuMarks, ::testing::Values("Fusion", "Windows"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

}  // namespace
