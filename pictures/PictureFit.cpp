// Fitting a picture into a free area in x87 extended precision, and the clamping of wide sums to int.
#include "PictureFit.h"

#include <cmath>
#include <limits>
#include <ostream>

// The fit must round like an x87 extended register: 95 / 157 * 157 has to come out below 95.
static_assert(std::numeric_limits<long double>::digits == 64, "long double must be 80-bit extended");

namespace {
// trunc(a / b * c), each step rounded in extended precision; callers keep b non-zero.
int TruncQuotientProduct(int a, int b, int c) {
  const long double quotient = static_cast<long double>(a) / static_cast<long double>(b);
  const long double product = quotient * static_cast<long double>(c);
  return ClampToInt(static_cast<long long>(std::trunc(product)));
}
}  // namespace

std::ostream& operator<<(std::ostream& out, const TRect& rect) {
  return out << '(' << rect.Left << ", " << rect.Top << ", " << rect.Right << ", " << rect.Bottom << ')';
}

int ClampToInt(long long value) {
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

TRect FitPictureRect(int W, int H, int pw, int ph) {
  // Without this guard a negative height divides by a truncated Bottom of 0 or by ph of 0.
  if (W <= 0 || H <= 0 || pw <= 0 || ph <= 0) return {};
  TRect result{0, 0, W, H};
  if (H < ph && W < pw) {
    result.Bottom = TruncQuotientProduct(W, pw, ph);
    if (H < result.Bottom) {
      result.Right = TruncQuotientProduct(H, result.Bottom, W);
      result.Bottom = H;
    }
  } else if (H < ph) {
    result.Right = TruncQuotientProduct(H, ph, pw);
  } else if (W < pw) {
    result.Bottom = TruncQuotientProduct(W, pw, ph);
  } else {
    result = {0, 0, pw, ph};
  }
  return result;
}
