// libjpeg behind guarded calls: errors as exceptions, header checks, decoding with its options, encoding.
#include "jpeg/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <QList>
#include <QString>
#include <algorithm>
#include <cstring>
#include <new>

#include "Graphic.h"
#include "jpeg/JpegOrientation.h"

// Every function below that calls setjmp keeps only trivially destructible locals, and libjpeg's
// error_exit longjmps back to it: a C++ exception must never cross libjpeg's C frames, and a longjmp
// must never skip a destructor. The objects with destructors live in the callers.

namespace {

constexpr long kMaxMemoryToUse = 256l * 1024 * 1024;
constexpr int kQuantizedColors = 236;
// Interim passes show a file that is still arriving; read from memory, a bounded number is enough.
constexpr int kMaxInterimPasses = 16;
constexpr int kRowsPerRead = 8;

enum class TOutcome { kOk, kLibjpegError, kBadSize, kTooShort, kTooManyScans, kUnsupportedColor };

struct TErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  bool tooManyScans;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<TErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings are ignored: a truncated or slightly corrupt file still shows what it holds.
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}

[[noreturn]] void Fail(j_common_ptr cinfo, int code) {
  cinfo->err->msg_code = code;
  cinfo->err->error_exit(cinfo);
  std::abort();  // error_exit never returns
}

// The progress hook runs once per chunk of input, so it also bounds the work of a file made of scans.
void LimitScans(j_common_ptr cinfo) {
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) {
    reinterpret_cast<TErrorManager*>(cinfo->err)->tooManyScans = true;
    Fail(cinfo, JERR_BAD_PROGRESSION);
  }
}

jpeg_error_mgr* InstallErrorHandling(TErrorManager& manager) {
  jpeg_std_error(&manager.pub);
  manager.pub.error_exit = ErrorExit;
  manager.pub.emit_message = EmitMessage;
  manager.pub.output_message = OutputMessage;
  manager.tooManyScans = false;
  return &manager.pub;
}

struct TDecompression {
  jpeg_decompress_struct cinfo{};
  TErrorManager err{};
  jpeg_progress_mgr progress{};
  // Kept here: the saved markers are freed when the decompression finishes.
  int orientation = 1;
  TDecompression() {
    cinfo.err = InstallErrorHandling(err);
    progress.progress_monitor = LimitScans;
  }
  ~TDecompression() { jpeg_destroy_decompress(&cinfo); }
  TDecompression(const TDecompression&) = delete;
  TDecompression& operator=(const TDecompression&) = delete;
};

// Creates the decompressor, points it at the bytes and reads the header; may longjmp.
void OpenSource(TDecompression& d, const QByteArray& bytes) {
  jpeg_create_decompress(&d.cinfo);
  d.cinfo.mem->max_memory_to_use = kMaxMemoryToUse;
  d.cinfo.progress = &d.progress;
  jpeg_mem_src(&d.cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
               static_cast<unsigned long>(bytes.size()));
  // APP1 holds the Exif block with the orientation; libjpeg caps each saved marker at its length.
  jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&d.cinfo, TRUE);
}

// The first Exif block decides; an APP1 segment holding XMP or anything else is passed over.
int OrientationOf(const jpeg_decompress_struct& cinfo) {
  for (jpeg_saved_marker_ptr marker = cinfo.marker_list; marker != nullptr; marker = marker->next) {
    if (marker->marker != JPEG_APP0 + 1 || marker->data == nullptr || marker->data_length < 6) continue;
    if (std::memcmp(marker->data, "Exif\0\0", 6) != 0) continue;
    return ExifOrientation(marker->data, marker->data_length);
  }
  return kUprightOrientation;
}

bool IsInk(J_COLOR_SPACE space) {
  return space == JCS_CMYK || space == JCS_YCCK;
}

// Huffman coding spends at least one bit on every 8 x 8 block of a component it codes, so a file
// shorter than that for its largest component has lost nearly all of its picture: libjpeg would
// decode it as a grey field of the full size. Refusing it keeps a file of a few hundred bytes from
// claiming hundreds of megabytes. Arithmetic coding can go below a bit per block and is not judged.
bool TooShortForItsBlocks(const jpeg_decompress_struct& cinfo, qint64 size) {
  if (cinfo.arith_code) return false;
  qint64 blocks = 0;
  for (int i = 0; i < cinfo.num_components; ++i)
    blocks =
        std::max(blocks, qint64{cinfo.comp_info[i].width_in_blocks} * cinfo.comp_info[i].height_in_blocks);
  return size < blocks / 8;
}

TOutcome CheckHeader(const jpeg_decompress_struct& cinfo, qint64 size) {
  const qint64 pixels = qint64{cinfo.image_width} * qint64{cinfo.image_height};
  if (pixels <= 0 || pixels > kMaxJpegPixels) return TOutcome::kBadSize;
  if (TooShortForItsBlocks(cinfo, size)) return TOutcome::kTooShort;
  // libjpeg converts these to RGB or grayscale itself; ink (CMYK, YCCK) it gives as CMYK for us.
  if (cinfo.jpeg_color_space != JCS_GRAYSCALE && cinfo.jpeg_color_space != JCS_YCbCr &&
      cinfo.jpeg_color_space != JCS_RGB && !IsInk(cinfo.jpeg_color_space))
    return TOutcome::kUnsupportedColor;
  return TOutcome::kOk;
}

TOutcome ReadHeaderGuarded(TDecompression& d, const QByteArray& bytes, TJpegHeader& header) {
  if (setjmp(d.err.jump)) return TOutcome::kLibjpegError;
  OpenSource(d, bytes);
  if (const TOutcome outcome = CheckHeader(d.cinfo, bytes.size()); outcome != TOutcome::kOk) return outcome;
  header.orientation = OrientationOf(d.cinfo);
  const QSize image =
      UprightSize(QSize(static_cast<int>(d.cinfo.image_width), static_cast<int>(d.cinfo.image_height)),
                  header.orientation);
  header.imageWidth = image.width();
  header.imageHeight = image.height();
  header.components = d.cinfo.num_components;
  header.progressive = jpeg_has_multiple_scans(&d.cinfo);
  for (unsigned i = 0; i < header.outputSizes.size(); ++i) {
    d.cinfo.scale_num = 1;
    d.cinfo.scale_denom = 1u << i;
    jpeg_calc_output_dimensions(&d.cinfo);
    header.outputSizes[i] =
        UprightSize(QSize(static_cast<int>(d.cinfo.output_width), static_cast<int>(d.cinfo.output_height)),
                    header.orientation);
  }
  return TOutcome::kOk;
}

[[noreturn]] void ThrowFailure(TOutcome outcome, const TDecompression& d) {
  switch (outcome) {
    case TOutcome::kBadSize:
      throw EInvalidGraphic(QStringLiteral("JPEG picture of absurd size %1 x %2")
                                .arg(d.cinfo.image_width)
                                .arg(d.cinfo.image_height)
                                .toStdString());
    case TOutcome::kTooShort:
      throw EInvalidGraphic(QStringLiteral("JPEG data far too short for %1 x %2")
                                .arg(d.cinfo.image_width)
                                .arg(d.cinfo.image_height)
                                .toStdString());
    case TOutcome::kUnsupportedColor:
      throw EJPEG(QStringLiteral("JPEG error #%1").arg(int{JERR_CONVERSION_NOTIMPL}).toStdString());
    case TOutcome::kTooManyScans:
      throw EJPEG(QStringLiteral("JPEG error: more than %1 scans").arg(kMaxJpegScans).toStdString());
    default:
      throw EJPEG(QStringLiteral("JPEG error #%1").arg(d.err.pub.msg_code).toStdString());
  }
}

void ApplyPassSettings(j_decompress_ptr cinfo, TJPEGPerformance performance) {
  if (performance == TJPEGPerformance::jpBestSpeed) {
    cinfo->dct_method = JDCT_IFAST;
    cinfo->two_pass_quantize = FALSE;
    cinfo->dither_mode = JDITHER_ORDERED;
  } else {
    cinfo->dct_method = JDCT_ISLOW;
    cinfo->two_pass_quantize = TRUE;
    cinfo->dither_mode = JDITHER_FS;
  }
}

// Allocation failures become libjpeg's own out-of-memory error, so they take the same path.
bool AllocateImage(QImage& image, j_decompress_ptr cinfo) noexcept {
  try {
    image = QImage(static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height),
                   cinfo->quantize_colors ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    return !image.isNull() && image.bits() != nullptr;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool TakeColormap(QImage& image, j_decompress_ptr cinfo) noexcept {
  if (!cinfo->quantize_colors) return true;
  if (cinfo->colormap == nullptr || cinfo->actual_number_of_colors <= 0) return false;
  try {
    const bool gray = cinfo->out_color_components == 1;
    QList<QRgb> table(cinfo->actual_number_of_colors);
    for (int i = 0; i < cinfo->actual_number_of_colors; ++i) {
      const int r = cinfo->colormap[0][i];
      table[i] = gray ? qRgb(r, r, r) : qRgb(r, cinfo->colormap[1][i], cinfo->colormap[2][i]);
    }
    image.setColorTable(table);
    return image.bits() != nullptr;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// libjpeg writes ink as C, M, Y, K bytes into the 32-bit pixels; turned into RGB in place. Adobe's
// APP14 marks files that store the ink inverted (255 meaning none), as Photoshop writes them.
void InkToRgb(QImage& image, bool inverted) noexcept {
  for (int y = 0; y < image.height(); ++y) {
    uchar* bytes = image.scanLine(y);
    auto* pixels = reinterpret_cast<QRgb*>(bytes);
    for (int x = 0; x < image.width(); ++x) {
      const uchar* ink = bytes + 4 * x;
      int c = ink[0], m = ink[1], yellow = ink[2], k = ink[3];
      if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        yellow = 255 - yellow;
        k = 255 - k;
      }
      pixels[x] = qRgb((c * k + 127) / 255, (m * k + 127) / 255, (yellow * k + 127) / 255);
    }
  }
}

// Reads one output pass into image; its pixel layout was chosen to match libjpeg's output rows.
void ReadPass(j_decompress_ptr cinfo, QImage& image) {
  if (!TakeColormap(image, cinfo)) Fail(reinterpret_cast<j_common_ptr>(cinfo), JERR_OUT_OF_MEMORY);
  uchar* bits = image.bits();
  if (bits == nullptr) Fail(reinterpret_cast<j_common_ptr>(cinfo), JERR_OUT_OF_MEMORY);
  const qsizetype stride = image.bytesPerLine();
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW rows[kRowsPerRead];
    const JDIMENSION first = cinfo->output_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(kRowsPerRead, cinfo->output_height - first);
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = bits + (first + i) * stride;
    // A memory source never suspends; a zero return would otherwise loop forever.
    if (jpeg_read_scanlines(cinfo, rows, count) == 0)
      Fail(reinterpret_cast<j_common_ptr>(cinfo), JERR_INPUT_EOF);
  }
  if (cinfo->out_color_space == JCS_CMYK) InkToRgb(image, cinfo->saw_Adobe_marker);
}

void DecodeBuffered(j_decompress_ptr cinfo, QImage& image, const TJpegDecodeOptions& options,
                    const TJpegPassObserver& interimPass) {
  int passes = 0;
  while (!jpeg_input_complete(cinfo) && passes < kMaxInterimPasses) {
    ApplyPassSettings(cinfo, TJPEGPerformance::jpBestSpeed);
    jpeg_start_output(cinfo, cinfo->input_scan_number);
    ReadPass(cinfo, image);
    jpeg_finish_output(cinfo);
    ++passes;
    if (interimPass) interimPass(image);
  }
  while (!jpeg_input_complete(cinfo)) {
    if (jpeg_consume_input(cinfo) == JPEG_SUSPENDED) break;
    LimitScans(reinterpret_cast<j_common_ptr>(cinfo));
  }
  ApplyPassSettings(cinfo, options.performance);
  // The two-pass quantiser builds its own colormap only when the one of the interim passes is dropped.
  if (cinfo->quantize_colors && cinfo->two_pass_quantize && cinfo->enable_2pass_quant)
    cinfo->colormap = nullptr;
  jpeg_start_output(cinfo, cinfo->input_scan_number);
  ReadPass(cinfo, image);
  jpeg_finish_output(cinfo);
}

TOutcome DecodeGuarded(TDecompression& d, const QByteArray& bytes, const TJpegDecodeOptions& options,
                       QImage& image, const TJpegPassObserver& interimPass) {
  if (setjmp(d.err.jump)) return d.err.tooManyScans ? TOutcome::kTooManyScans : TOutcome::kLibjpegError;
  OpenSource(d, bytes);
  d.orientation = OrientationOf(d.cinfo);
  if (const TOutcome outcome = CheckHeader(d.cinfo, bytes.size()); outcome != TOutcome::kOk) return outcome;
  j_decompress_ptr cinfo = &d.cinfo;
  cinfo->scale_num = 1;
  cinfo->scale_denom = 1u << static_cast<unsigned>(options.scale);
  cinfo->do_block_smoothing = TRUE;
  // libjpeg quantises only its own RGB and grayscale output; ink is reduced once it is RGB.
  const bool ink = IsInk(cinfo->jpeg_color_space);
  const bool quantize = !ink && (options.grayscale || options.pixelFormat == TJPEGPixelFormat::jf8Bit);
  if (ink)
    cinfo->out_color_space = JCS_CMYK;
  else if (options.grayscale)
    cinfo->out_color_space = JCS_GRAYSCALE;
  else
    cinfo->out_color_space =
        quantize ? JCS_RGB : (Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB);
  if (quantize) {
    cinfo->quantize_colors = TRUE;
    cinfo->desired_number_of_colors = kQuantizedColors;
  }
  ApplyPassSettings(cinfo, options.performance);
  const bool buffered = options.progressiveDisplay && jpeg_has_multiple_scans(cinfo);
  if (buffered) {
    cinfo->buffered_image = TRUE;
    cinfo->enable_1pass_quant = quantize;
    cinfo->enable_2pass_quant = quantize && cinfo->two_pass_quantize;
  }
  jpeg_start_decompress(cinfo);
  // The rows are written straight into the picture, so their layout must be the one expected.
  if (cinfo->output_components != (quantize ? 1 : 4))
    Fail(reinterpret_cast<j_common_ptr>(cinfo), JERR_CONVERSION_NOTIMPL);
  if (!AllocateImage(image, cinfo)) Fail(reinterpret_cast<j_common_ptr>(cinfo), JERR_OUT_OF_MEMORY);
  if (buffered)
    DecodeBuffered(cinfo, image, options, interimPass);
  else
    ReadPass(cinfo, image);
  jpeg_finish_decompress(cinfo);
  return TOutcome::kOk;
}

// Collects the compressed bytes in a QByteArray without letting its exceptions reach libjpeg.
struct TByteDestination {
  jpeg_destination_mgr pub;
  QByteArray* out;
  JOCTET chunk[16384];
};

bool AppendChunk(TByteDestination& dest, std::size_t count) noexcept {
  try {
    dest.out->append(reinterpret_cast<const char*>(dest.chunk), static_cast<qsizetype>(count));
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<TByteDestination*>(cinfo->dest);
  dest->pub.next_output_byte = dest->chunk;
  dest->pub.free_in_buffer = sizeof(dest->chunk);
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<TByteDestination*>(cinfo->dest);
  if (!AppendChunk(*dest, sizeof(dest->chunk)))
    Fail(reinterpret_cast<j_common_ptr>(cinfo), JERR_OUT_OF_MEMORY);
  InitDestination(cinfo);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<TByteDestination*>(cinfo->dest);
  if (!AppendChunk(*dest, sizeof(dest->chunk) - dest->pub.free_in_buffer))
    Fail(reinterpret_cast<j_common_ptr>(cinfo), JERR_OUT_OF_MEMORY);
}

struct TCompression {
  jpeg_compress_struct cinfo{};
  TErrorManager err{};
  TByteDestination dest{};
  explicit TCompression(QByteArray* out) {
    cinfo.err = InstallErrorHandling(err);
    dest.out = out;
    dest.pub.init_destination = InitDestination;
    dest.pub.empty_output_buffer = EmptyOutputBuffer;
    dest.pub.term_destination = TermDestination;
  }
  ~TCompression() { jpeg_destroy_compress(&cinfo); }
  TCompression(const TCompression&) = delete;
  TCompression& operator=(const TCompression&) = delete;
};

bool EncodeGuarded(TCompression& c, const QImage& source, const TJpegEncodeOptions& options,
                   const QByteArray& exif) {
  if (setjmp(c.err.jump)) return false;
  j_compress_ptr cinfo = &c.cinfo;
  jpeg_create_compress(cinfo);
  cinfo->mem->max_memory_to_use = kMaxMemoryToUse;
  cinfo->dest = &c.dest.pub;
  cinfo->image_width = static_cast<JDIMENSION>(source.width());
  cinfo->image_height = static_cast<JDIMENSION>(source.height());
  cinfo->input_components = options.grayscale ? 1 : 3;
  cinfo->in_color_space = options.grayscale ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, std::clamp(options.quality, 1, 100), TRUE);
  if (!options.grayscale) {
    const int factor = options.subsampleChroma ? 2 : 1;
    cinfo->comp_info[0].h_samp_factor = factor;
    cinfo->comp_info[0].v_samp_factor = factor;
  }
  if (options.progressive) jpeg_simple_progression(cinfo);
  jpeg_start_compress(cinfo, TRUE);
  if (!exif.isEmpty())
    jpeg_write_marker(cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.constData()),
                      static_cast<unsigned>(exif.size()));
  while (cinfo->next_scanline < cinfo->image_height) {
    // libjpeg only reads the rows it is given.
    JSAMPROW row = const_cast<uchar*>(source.constScanLine(static_cast<int>(cinfo->next_scanline)));
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

Qt::ImageConversionFlags DitherFor(TJPEGPerformance performance) {
  return performance == TJPEGPerformance::jpBestSpeed ? Qt::OrderedDither : Qt::DiffuseDither;
}

// Grey levels as libjpeg's quantiser spreads them, luminance weighted as its own conversion.
QImage ReduceToGrey(const QImage& rgb) {
  QImage grey(rgb.size(), QImage::Format_Indexed8);
  QList<QRgb> table(kQuantizedColors);
  for (int i = 0; i < kQuantizedColors; ++i) {
    const int level = (i * 255 + (kQuantizedColors - 1) / 2) / (kQuantizedColors - 1);
    table[i] = qRgb(level, level, level);
  }
  grey.setColorTable(table);
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    uchar* out = grey.scanLine(y);
    for (int x = 0; x < rgb.width(); ++x) {
      const int luma = (qRed(in[x]) * 19595 + qGreen(in[x]) * 38470 + qBlue(in[x]) * 7471 + 32768) >> 16;
      out[x] = static_cast<uchar>((luma * (kQuantizedColors - 1) + 127) / 255);
    }
  }
  return grey;
}

QImage ReduceToPalette(const QImage& rgb, TJPEGPerformance performance) {
  QImage indexed = rgb.convertToFormat(QImage::Format_Indexed8, DitherFor(performance));
  if (indexed.colorCount() <= kQuantizedColors) return indexed;
  // Qt keeps up to 256 exact colours; above the palette's size a 6 x 6 x 6 cube serves.
  QList<QRgb> cube;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) cube.append(qRgb(r * 51, g * 51, b * 51));
  return rgb.convertToFormat(QImage::Format_Indexed8, cube, DitherFor(performance));
}

// Ink arrives as RGB32 whatever the options ask for; this gives it the form libjpeg gives other files.
QImage ReduceInk(const QImage& rgb, const TJpegDecodeOptions& options) {
  if (rgb.isNull()) return rgb;
  if (options.grayscale) return ReduceToGrey(rgb);
  if (options.pixelFormat == TJPEGPixelFormat::jf8Bit) return ReduceToPalette(rgb, options.performance);
  return rgb;
}

}  // namespace

TJpegHeader ReadJpegHeader(const QByteArray& bytes) {
  TDecompression d;
  TJpegHeader header;
  if (const TOutcome outcome = ReadHeaderGuarded(d, bytes, header); outcome != TOutcome::kOk)
    ThrowFailure(outcome, d);
  return header;
}

QImage DecodeJpeg(const QByteArray& bytes, const TJpegDecodeOptions& options,
                  const TJpegPassObserver& interimPass) {
  TDecompression d;
  QImage image;
  // Ran only once the header is read, so the saved markers and the colour space are known.
  const auto finish = [&d, &options](const QImage& decoded) {
    const QImage reduced = IsInk(d.cinfo.jpeg_color_space) ? ReduceInk(decoded, options) : decoded;
    return TurnUpright(reduced, d.orientation);
  };
  TJpegPassObserver finishedPass;
  if (interimPass) finishedPass = [&](const QImage& decoded) { interimPass(finish(decoded)); };
  if (const TOutcome outcome = DecodeGuarded(d, bytes, options, image, finishedPass);
      outcome != TOutcome::kOk)
    ThrowFailure(outcome, d);
  return finish(image);
}

QByteArray EncodeJpeg(const QImage& image, const TJpegEncodeOptions& options) {
  const QImage source =
      image.convertToFormat(options.grayscale ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
  QByteArray out;
  TCompression c(&out);
  const QByteArray exif =
      options.orientation == kUprightOrientation ? QByteArray() : ExifOrientationPayload(options.orientation);
  if (!EncodeGuarded(c, source, options, exif))
    throw EJPEG(QStringLiteral("JPEG error #%1").arg(c.err.pub.msg_code).toStdString());
  return out;
}
