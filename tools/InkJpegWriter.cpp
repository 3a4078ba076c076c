#include "InkJpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

struct TJumpingErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<TJumpingErrors*>(cinfo->err)->jump, 1);
}

// The ink bytes of every row, in libjpeg's CMYK order.
std::vector<unsigned char> InkRows(const QImage& image, bool inverted) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  std::vector<unsigned char> ink(static_cast<std::size_t>(rgb.width()) * rgb.height() * 4);
  std::size_t at = 0;
  for (int y = 0; y < rgb.height(); ++y)
    for (int x = 0; x < rgb.width(); ++x) {
      const QRgb p = rgb.pixel(x, y);
      const int k = 255 - std::max({qRed(p), qGreen(p), qBlue(p)});
      const auto part = [k](int channel) { return k == 255 ? 0 : (255 - channel - k) * 255 / (255 - k); };
      const int values[4] = {part(qRed(p)), part(qGreen(p)), part(qBlue(p)), k};
      for (const int v : values) ink[at++] = static_cast<unsigned char>(inverted ? 255 - v : v);
    }
  return ink;
}

// Keeps only trivially destructible locals: libjpeg longjmps out of it on failure.
bool Compress(jpeg_compress_struct& cinfo, TJumpingErrors& errors, const unsigned char* ink, int width,
              int height, const TInkJpegOptions& options, unsigned char** out, unsigned long* size) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, out, size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, options.ycck ? JCS_YCCK : JCS_CMYK);
  cinfo.write_Adobe_marker = options.adobeMarker ? TRUE : FALSE;
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row =
        const_cast<unsigned char*>(ink + static_cast<std::size_t>(cinfo.next_scanline) * width * 4);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

}  // namespace

QByteArray EncodeInkJpeg(const QImage& image, const TInkJpegOptions& options) {
  if (image.isNull()) throw std::runtime_error("no picture to write as CMYK");
  const std::vector<unsigned char> ink = InkRows(image, options.adobeMarker);
  jpeg_compress_struct cinfo{};
  TJumpingErrors errors{};
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = JumpOut;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const bool ok = Compress(cinfo, errors, ink.data(), image.width(), image.height(), options, &out, &size);
  QByteArray bytes;
  if (ok) bytes = QByteArray(reinterpret_cast<const char*>(out), static_cast<qsizetype>(size));
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  if (!ok) throw std::runtime_error("libjpeg cannot write the CMYK picture");
  return bytes;
}
