#pragma once

#include <QString>

#include "VectorPicture.h"

// Writes picture as a placeable WMF (version 0x0300) at 96 units per inch through libuemf.
// Throws std::runtime_error when libuemf refuses a record or the file cannot be written.
void WriteWmf(const TVectorPicture& picture, const QString& path);

// Writes picture as an EMF at 96 pixels per inch through libuemf; throws like WriteWmf.
void WriteEmf(const TVectorPicture& picture, const QString& path);
