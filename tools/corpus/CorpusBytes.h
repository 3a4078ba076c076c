#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "CorpusFile.h"

// Little helpers for patching generated files in place.
inline void Patch16(QByteArray& bytes, qsizetype at, std::int64_t value) {
  qToLittleEndian(static_cast<quint16>(value), bytes.data() + at);
}
inline void Patch32(QByteArray& bytes, qsizetype at, std::int64_t value) {
  qToLittleEndian(static_cast<quint32>(value), bytes.data() + at);
}
inline void PatchBig16(QByteArray& bytes, qsizetype at, std::int64_t value) {
  qToBigEndian(static_cast<quint16>(value), bytes.data() + at);
}
inline void PatchBig32(QByteArray& bytes, qsizetype at, std::int64_t value) {
  qToBigEndian(static_cast<quint32>(value), bytes.data() + at);
}
inline quint32 Read32(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<quint32>(bytes.constData() + at);
}

inline const QByteArray& SeedNamed(const std::vector<TCorpusFile>& seeds, const std::string& name) {
  for (const TCorpusFile& seed : seeds)
    if (seed.name == name) return seed.bytes;
  throw std::runtime_error("no seed " + name);
}

// Where `what` first occurs, or an exception: a generator must not silently patch the wrong bytes.
inline qsizetype Locate(const QByteArray& bytes, QByteArrayView what, qsizetype from = 0) {
  const qsizetype at = bytes.indexOf(what, from);
  if (at < 0) throw std::runtime_error("generated file lacks " + what.toByteArray().toStdString());
  return at;
}
