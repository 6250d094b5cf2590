// Built only by the layers_windows_backend_include test, which passes when this
// file fails to compile: the shell's interfaces see nothing of the Windows
// backend either.
#include "shell/windows/RunKey.h"
