#include "MediaPlayer.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <stdexcept>
#include <string>

namespace {

// The channel the sound always plays on, so that a new Play restarts it instead of layering.
constexpr int kSoundChannel = 0;

std::runtime_error SdlFailure() {
  const char* text = SDL_GetError();
  return std::runtime_error(text != nullptr && *text != '\0' ? text : "Unknown error code");
}

}  // namespace

TMediaPlayer::TMediaPlayer(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("musica"));
  setGeometry(296, 48, 253, 30);
  setFocusPolicy(Qt::NoFocus);
  hide();
}

TMediaPlayer::~TMediaPlayer() {
  Close();
}

void TMediaPlayer::Open() {
  Close();
  SDL_ClearError();
  OpenDevice();
  // Reading through SDL_RWFromFile first makes a missing file report "Couldn't open PATH".
  SDL_RWops* source = SDL_RWFromFile(fileName_.toLocal8Bit().constData(), "rb");
  if (source == nullptr) throw SdlFailure();
  chunk_ = Mix_LoadWAV_RW(source, 1);
  if (chunk_ == nullptr) throw SdlFailure();
}

void TMediaPlayer::OpenDevice() {
  if (!subsystemStarted_) {
    // Starting audio starts SDL's events too, which by default turn SIGINT and SIGTERM into quit
    // events; nothing here reads SDL's events, so the game would no longer end on them. Overriding
    // keeps the signals' own effect even when the environment asks SDL for its handlers.
    SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) throw SdlFailure();
    subsystemStarted_ = true;
  }
  if (!deviceOpen_) {
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) throw SdlFailure();
    deviceOpen_ = true;
  }
}

void TMediaPlayer::Play() {
  if (chunk_ == nullptr) return;
  Mix_HaltChannel(kSoundChannel);
  Mix_PlayChannel(kSoundChannel, chunk_, 0);
}

void TMediaPlayer::Close() {
  if (deviceOpen_) Mix_HaltChannel(-1);
  if (chunk_ != nullptr) {
    Mix_FreeChunk(chunk_);
    chunk_ = nullptr;
  }
  if (deviceOpen_) {
    Mix_CloseAudio();
    deviceOpen_ = false;
  }
  if (subsystemStarted_) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemStarted_ = false;
  }
}
