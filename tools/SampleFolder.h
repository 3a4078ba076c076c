#pragma once

#include <QString>

// Writes the sample folder f into folder (created if missing): "base.jpg", the 69 faces of
// SampleFaces() and "ok.wav", 71 entries in all. When previewFolder is not empty, PNG renderings of
// the metafile faces go there too, for looking at them without a metafile player.
// Throws std::runtime_error when a file cannot be written.
void WriteSampleFolder(const QString& folder, const QString& previewFolder);
