// The tests a file name passes before a picture is loaded from it.
#pragma once

#include <QString>

// True when the final path component holds a wildcard (* or ?): such a name never loads a picture.
bool IsWildcardName(const QString& name);

// The test a name passes before a picture is loaded from it: a non-folder file whose attributes can
// be read under exactly this name. Anything else is shown as no picture, without an error.
bool IsAcceptedPictureName(const QString& name);
