// Play list commands: each carries the arguments of its operation's kind, the readers fill them by
// name, and the player takes every operation's arguments as that kind.
#include <gtest/gtest.h>
#include <uwmf.h>

#include <QImage>
#include <QPainter>
#include <stdexcept>
#include <utility>

#include "EmfWriter.h"
#include "WmfWriter.h"
#include "metafile/model/MetaPlayList.h"
#include "metafile/play/MetafilePlayer.h"
#include "metafile/read/EmfReader.h"
#include "metafile/read/WmfReader.h"

namespace {

template <std::size_t... Kinds>
TMetaArgs ArgsOfKind(std::size_t kind, std::index_sequence<Kinds...>) {
  TMetaArgs args;
  static_cast<void>(((kind == Kinds ? (args.emplace<Kinds>(), true) : false) || ...));
  return args;
}

// Arguments of the given alternative of TMetaArgs, default valued.
TMetaArgs ArgsOfKind(std::size_t kind) {
  return ArgsOfKind(kind, std::make_index_sequence<std::variant_size_v<TMetaArgs>>());
}

EMetaOp Op(std::size_t number) {
  return static_cast<EMetaOp>(number);
}

// Every operation once, with arguments that name the one object slot, the first points and the first
// item of each store, so that the player gets past its checks to the arguments.
TMetaPlayList EveryOperation() {
  TMetaPlayList list;
  list.objectSlots = 1;
  list.frame = QRectF(0, 0, 100, 100);
  list.width = list.height = 100;
  for (int i = 0; i < 4; ++i) list.AddPoint(10 + 20 * i, 10 + 25 * (i % 2));
  list.AddPolyCount(4);
  list.regionRects = {QRect(10, 10, 30, 30)};
  list.transforms = {QTransform::fromScale(0.5, 0.5)};
  list.AddFont(TMetaFont());
  TMetaTextRun run;
  run.text = QStringLiteral("Z");
  list.AddText(run);
  for (std::size_t op = 0; op < kMetaOpCount; ++op) list.Add({Op(op), ArgsOfKind(MetaOpArgsKind(Op(op)))});
  return list;
}

template <class T>
const T& FirstArgs(const TMetaPlayList& list, EMetaOp op) {
  for (const TMetaCommand& command : list.commands)
    if (command.Op() == op) return command.Args<T>();
  throw std::runtime_error("no such operation in the list");
}

}  // namespace

TEST(MetaCommand, EveryOperationPlaysWithTheArgumentsOfItsKind) {
  const TMetaPlayList list = EveryOperation();
  ASSERT_EQ(list.commands.size(), kMetaOpCount);
  QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  EXPECT_NO_THROW(TMetafilePlayer(list).Play(painter, QRectF(0, 0, 100, 100)));
  painter.end();
  EXPECT_NO_THROW(TMetafilePlayer(list).DrawnBounds());
}

TEST(MetaCommand, ArgumentsOfAnotherKindAreRefused) {
  for (std::size_t op = 0; op < kMetaOpCount; ++op) {
    int accepted = 0;
    for (std::size_t kind = 0; kind < std::variant_size_v<TMetaArgs>; ++kind) {
      try {
        TMetaCommand(Op(op), ArgsOfKind(kind));
        ++accepted;
      } catch (const std::logic_error&) {
      }
    }
    EXPECT_EQ(accepted, 1) << "operation " << op;
  }
  EXPECT_THROW(TMetaCommand(EMetaOp::Rectangle), std::logic_error);
  EXPECT_THROW(TMetaCommand(EMetaOp::SaveDC, TMetaRect{}), std::logic_error);
}

TEST(MetaCommand, ArgumentsAreTakenOnlyAsTheirOwnKind) {
  const TMetaCommand box(EMetaOp::Ellipse, TMetaRect{1, 2, 3, 4});
  EXPECT_EQ(box.Args<TMetaRect>().right, 3);
  EXPECT_THROW(box.Args<TMetaPoint>(), std::logic_error);
  EXPECT_THROW(TMetaCommand(EMetaOp::SaveDC).Args<TMetaRect>(), std::logic_error);
}

TEST(MetaCommand, ObjectsArePlacedInTheirSlot) {
  const TMetaCommand pen(EMetaOp::CreatePen, TMetaPenArgs{.slot = 0, .style = 2, .width = 5, .colour = 0xFF});
  const TMetaPenArgs placed = pen.InSlot(7).Args<TMetaPenArgs>();
  EXPECT_EQ(placed.slot, 7);
  EXPECT_EQ(placed.style, 2);
  EXPECT_EQ(placed.width, 5);
  EXPECT_EQ(placed.colour, 0xFFu);
  EXPECT_EQ(TMetaCommand(EMetaOp::CreateOther, TMetaSlot{}).InSlot(3).Args<TMetaSlot>().slot, 3);
  EXPECT_THROW(TMetaCommand(EMetaOp::SelectObject, TMetaSlot{}).InSlot(3), std::logic_error);
  EXPECT_THROW(TMetaCommand(EMetaOp::LineTo, TMetaPoint{}).InSlot(3), std::logic_error);
}

TEST(MetaCommand, WmfParametersComeInReverseOrderAndAreReadByName) {
  TWmfWriter writer(true, {0, 0, 200, 100}, 96);
  uint32_t pen = 0;
  writer.Append(
      wcreatepenindirect_set(&pen, writer.Handles(), U_PEN_set(U_PS_DASH, 3, U_COLORREF{1, 2, 3, 0})));
  writer.Append(U_WMRMOVETO_set(U_POINT16{15, 25}));
  writer.Append(U_WMRROUNDRECT_set(7, 9, U_RECT16{10, 20, 110, 80}));
  writer.Append(U_WMRARC_set(U_POINT16{50, 20}, U_POINT16{10, 50}, U_RECT16{10, 20, 90, 80}));
  writer.Append(U_WMRSCALEWINDOWEXT_set(U_POINT16{3, 4}, U_POINT16{5, 6}));
  const TMetaPlayList list = ReadWmf(writer.Finish());

  const auto& penArgs = FirstArgs<TMetaPenArgs>(list, EMetaOp::CreatePen);
  EXPECT_EQ(penArgs.style, U_PS_DASH);
  EXPECT_EQ(penArgs.width, 3);
  EXPECT_EQ(penArgs.colour, 0x030201u);
  const auto& at = FirstArgs<TMetaPoint>(list, EMetaOp::MoveTo);
  EXPECT_EQ(std::make_pair(at.x, at.y), std::make_pair(15, 25));
  const auto& round = FirstArgs<TMetaRoundRect>(list, EMetaOp::RoundRect);
  EXPECT_EQ(round.box.left, 10);
  EXPECT_EQ(round.box.top, 20);
  EXPECT_EQ(round.box.right, 110);
  EXPECT_EQ(round.box.bottom, 80);
  EXPECT_EQ(round.cornerWidth, 7);
  EXPECT_EQ(round.cornerHeight, 9);
  const auto& arc = FirstArgs<TMetaArcArgs>(list, EMetaOp::Arc);
  ASSERT_GE(arc.rays, 0);
  ASSERT_LE(static_cast<std::size_t>(arc.rays) + 2, list.points.size());
  EXPECT_EQ(list.points[static_cast<std::size_t>(arc.rays)], QPoint(50, 20));
  EXPECT_EQ(list.points[static_cast<std::size_t>(arc.rays) + 1], QPoint(10, 50));
  const auto& scale = FirstArgs<TMetaScale>(list, EMetaOp::ScaleWindowExt);
  EXPECT_EQ(scale.xNum, 5);
  EXPECT_EQ(scale.xDenom, 3);
  EXPECT_EQ(scale.yNum, 6);
  EXPECT_EQ(scale.yDenom, 4);
}

TEST(MetaCommand, EmfShapesAreReadByName) {
  TEmfWriter writer({0, 0, 200, 100}, 96);
  writer.Append(U_EMRRECTANGLE_set(U_RECTL{10, 20, 110, 80}));
  writer.Append(U_EMRLINETO_set(U_POINTL{-5, 70}));
  const TMetaPlayList list = ReadEmf(writer.Finish());
  const auto& box = FirstArgs<TMetaRect>(list, EMetaOp::Rectangle);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 20);
  EXPECT_EQ(box.right, 110);
  EXPECT_EQ(box.bottom, 80);
  const auto& to = FirstArgs<TMetaPoint>(list, EMetaOp::LineTo);
  EXPECT_EQ(std::make_pair(to.x, to.y), std::make_pair(-5, 70));
}
