#pragma once

#include "base/SafeFile.h"

#include <functional>

namespace SafeFile {

// Reads some bytes of an open file into the buffer given; how many, 0 at its
// end, or less than 0 when reading failed.
using ReadSome = std::function<qint64(char *buffer, qint64 room)>;

// The platform-independent part of read(): the bytes of an open regular file
// that said it holds size bytes. A file may grow between its size and the
// read, so nothing past the cap is ever read.
Result readOpened(qint64 size, qint64 maxBytes, const ReadSome &readSome);

} // namespace SafeFile
