#include "metafile/emfplus/EmfPlusStringLayout.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

#include "metafile/emfplus/EmfPlusTypes.h"

namespace {

// Text beyond this many lines is not laid out: no picture shows that many.
constexpr std::size_t kMaxLines = 10000;

// The paragraphs between explicit line breaks (CR, LF or both).
QStringList Paragraphs(const QString& text) {
  QString unified = text;
  unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return unified.split(QLatin1Char('\n'));
}

QString WithoutTrailingSpaces(const QString& line) {
  qsizetype end = line.size();
  while (end > 0 && line[end - 1].isSpace()) --end;
  return line.left(end);
}

// The runs of spaces and of other characters, in order.
QStringList Words(const QString& paragraph) {
  QStringList words;
  for (qsizetype i = 0; i < paragraph.size();) {
    const bool space = paragraph[i].isSpace();
    qsizetype end = i;
    while (end < paragraph.size() && paragraph[end].isSpace() == space) ++end;
    words.append(paragraph.mid(i, end - i));
    i = end;
  }
  return words;
}

// Breaks the paragraph into lines no wider than width: between words where it can, inside a word that
// is wider than a line alone. Spaces where a line breaks end it, unseen and not counted.
void Wrap(const QString& paragraph, const QFontMetricsF& metrics, double width, QStringList& lines) {
  QString line;
  double lineWidth = 0;  // its spaces at the end included
  for (const QString& word : Words(paragraph)) {
    if (lines.size() >= static_cast<qsizetype>(kMaxLines)) return;
    const double advance = metrics.horizontalAdvance(word);
    if (word[0].isSpace() || lineWidth + advance <= width) {
      line += word;
      lineWidth += advance;
      continue;
    }
    if (!WithoutTrailingSpaces(line).isEmpty()) lines.append(line);
    line.clear();
    lineWidth = 0;
    if (advance <= width) {
      line = word;
      lineWidth = advance;
      continue;
    }
    // Wider than a line alone: as many characters as fit on each, at least one.
    for (qsizetype i = 0; i < word.size() && lines.size() < static_cast<qsizetype>(kMaxLines); ++i) {
      const QChar c = word[i];
      const double step = metrics.horizontalAdvance(c);
      if (!line.isEmpty() && lineWidth + step > width && !c.isLowSurrogate()) {
        lines.append(line);
        line.clear();
        lineWidth = 0;
      }
      line += c;
      lineWidth += step;
    }
  }
  lines.append(line);
}

}  // namespace

std::vector<TEmfPlusTextLine> LayOutEmfPlusString(const QString& text, const QFontMetricsF& metrics,
                                                  double em, const QRectF& box,
                                                  const TEmfPlusStringFormat& format) {
  const double lead = format.leadingMargin * em, trail = format.trailingMargin * em;
  const double left = box.left() + lead, right = box.left() + std::max(0.0, box.width()) - trail;
  const bool wrap = box.width() > 0 && !(format.flags & EmfPlus::kStringFormatNoWrap);
  QStringList lines;
  for (const QString& paragraph : Paragraphs(text)) {
    if (lines.size() >= static_cast<qsizetype>(kMaxLines)) break;
    if (wrap)
      Wrap(paragraph, metrics, std::max(0.0, right - left), lines);
    else
      lines.append(paragraph);
  }
  const double spacing = metrics.lineSpacing(), height = std::max(0.0, box.height());
  // Limited to whole lines, only those that fit in the box are laid out.
  if ((format.flags & EmfPlus::kStringFormatLineLimit) && height > 0 && spacing > 0) {
    const double fitting = std::floor(height / spacing + 1e-9);
    if (fitting < static_cast<double>(lines.size())) lines.resize(static_cast<qsizetype>(fitting));
  }
  const double total = spacing * static_cast<double>(lines.size());
  double top = box.top();
  if (format.lineAlignment == EmfPlus::kStringAlignmentCenter) top += (height - total) / 2;
  if (format.lineAlignment == EmfPlus::kStringAlignmentFar) top += height - total;
  std::vector<TEmfPlusTextLine> laid;
  laid.reserve(static_cast<std::size_t>(lines.size()));
  double baseline = top + metrics.ascent();
  for (const QString& line : lines) {
    TEmfPlusTextLine out{WithoutTrailingSpaces(line), QPointF(), 0};
    out.width = metrics.horizontalAdvance(out.text);
    double x = left;
    if (format.alignment == EmfPlus::kStringAlignmentCenter) x = (left + right - out.width) / 2;
    if (format.alignment == EmfPlus::kStringAlignmentFar) x = right - out.width;
    out.origin = QPointF(x, baseline);
    laid.push_back(std::move(out));
    baseline += spacing;
  }
  return laid;
}
