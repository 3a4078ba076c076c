#include "JpegWriter.h"

#include <cstdio>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include <csetjmp>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct TErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void ExitThroughJump(j_common_ptr info) {
  longjmp(reinterpret_cast<TErrorManager*>(info->err)->jump, 1);
}

struct TFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Runs the libjpeg compression; returns false when libjpeg reported a fatal error.
// The row buffer comes from the caller so that nothing with a destructor lives across setjmp.
bool Compress(std::FILE* file, const QImage& pixels, const TJpegWriteOptions& options,
              std::vector<JSAMPLE>& row) {
  jpeg_compress_struct info{};
  TErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = ExitThroughJump;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(pixels.width());
  info.image_height = static_cast<JDIMENSION>(pixels.height());
  info.input_components = options.grayscale ? 1 : 3;
  info.in_color_space = options.grayscale ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, options.quality, TRUE);
  if (!options.grayscale) {
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = 2;
    info.comp_info[1].h_samp_factor = info.comp_info[1].v_samp_factor = 1;
    info.comp_info[2].h_samp_factor = info.comp_info[2].v_samp_factor = 1;
  }
  if (options.progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    const uchar* line = pixels.constScanLine(static_cast<int>(info.next_scanline));
    if (options.grayscale) {
      std::copy(line, line + pixels.width(), row.begin());
    } else {
      std::copy(line, line + row.size(), row.begin());
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

void WriteJpeg(const QImage& image, const QString& path, const TJpegWriteOptions& options) {
  const QImage pixels =
      image.convertToFormat(options.grayscale ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
  std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.toLocal8Bit().constData(), "wb"));
  if (!file) throw std::runtime_error("cannot write " + path.toStdString());
  std::vector<JSAMPLE> row(static_cast<size_t>(pixels.width()) * (options.grayscale ? 1 : 3));
  if (!Compress(file.get(), pixels, options, row))
    throw std::runtime_error("JPEG encoding failed: " + path.toStdString());
  if (std::fflush(file.get()) != 0) throw std::runtime_error("cannot write " + path.toStdString());
}
