// The fakes are all headers; this is the library's one translation unit, where
// the precompiled headers its users share are made.
#include "FakeDesktopSource.h"
