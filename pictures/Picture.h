// TPicture, the one place that picks a picture's kind by its file's extension (also for one-off loads).
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

#include "Graphic.h"

// Reads a picture file into a picture of the kind its extension names, as TPicture::LoadFromFile does
// (and throws as it does), for a holder of one fixed picture that needs no change notices.
std::unique_ptr<TGraphic> LoadGraphicFromFile(const QString& path);
// The same from bytes already read, the extension given apart (without the dot, in any letter case).
std::unique_ptr<TGraphic> LoadGraphicFromBytes(const QByteArray& bytes, const QString& extension);

// Holds one picture of the kind its file's extension names and tells one listener of each change.
class TPicture {
 public:
  TPicture() = default;
  ~TPicture();
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // The kind is the extension after the last dot of the final path component, in any letter case:
  // bmp, ico, wmf, emf, jpg, jpeg. An unknown or missing extension, or content the kind rejects,
  // throws EInvalidGraphic; EFOpenError when the file cannot be read. The current picture is
  // replaced only once the new one has loaded.
  void LoadFromFile(const QString& path);
  // The same from bytes already in memory, with the extension given apart (without the dot).
  void LoadFromBytes(const QByteArray& bytes, const QString& extension);
  void Clear();
  // Takes a picture made elsewhere (already decoded, say) as if it had just been loaded.
  void SetGraphic(std::unique_ptr<TGraphic> graphic) { Assign(std::move(graphic)); }

  TGraphic* Graphic() const { return graphic_.get(); }
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }
  bool IsJPEG() const;

  void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

  // The extension LoadFromFile goes by: text after the last dot of the file name, lower case.
  static QString ExtensionOf(const QString& path);

 private:
  void Assign(std::unique_ptr<TGraphic> graphic);
  void Changed();

  std::unique_ptr<TGraphic> graphic_;
  std::function<void()> onChange_;
};
