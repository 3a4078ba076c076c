#pragma once

#include <QWidget>
#include <memory>

class TGraphic;

// A picture component of a window: shows one embedded picture at its natural
// size, at the top left or centred horizontally, and nothing where the picture
// leaves the window's colour.
class TImage : public QWidget {
  Q_OBJECT
 public:
  explicit TImage(QWidget* parent = nullptr);
  ~TImage() override;

  // Loads a picture (a resource path or a file) of the kind its extension
  // names; returns false and shows nothing when it fails.
  bool LoadPicture(const QString& path);
  void SetCenter(bool center);
  QSize PictureSize() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::unique_ptr<TGraphic> graphic_;
  bool center_ = false;
};
