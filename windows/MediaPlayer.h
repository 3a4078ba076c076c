#pragma once

#include <QString>
#include <QWidget>

#include "MatchSound.h"

struct Mix_Chunk;

// The hidden media player `musica`: plays one WAV file through SDL2_mixer. It uses only SDL's
// audio subsystem, so no SDL window ever appears beside the Qt ones.
class TMediaPlayer : public QWidget, public IMatchSound {
  Q_OBJECT
 public:
  explicit TMediaPlayer(QWidget* parent = nullptr);
  ~TMediaPlayer() override;

  void SetFileName(const QString& fileName) { fileName_ = fileName; }
  QString FileName() const { return fileName_; }

  // Closes the device if open (cutting off a sound still playing), opens it again and loads
  // FileName; throws std::runtime_error with SDL's own text when either step fails.
  void Open() override;
  // Starts the loaded sound from its beginning and returns at once; does nothing when not open.
  void Play() override;
  // Stops the sound, frees it and shuts the audio subsystem down.
  void Close();

  bool IsOpen() const { return deviceOpen_; }

 private:
  void OpenDevice();

  QString fileName_;
  Mix_Chunk* chunk_ = nullptr;
  bool subsystemStarted_ = false;
  bool deviceOpen_ = false;
};
