// Built only by the layers_backend_include test, which passes when this file
// fails to compile: the shell's interfaces see nothing of the platform backend
// that implements them.
#include "shell/freedesktop/XcbRoot.h"
