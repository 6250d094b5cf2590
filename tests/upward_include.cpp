// Built only by the layers_upward_include test, which passes when this file
// fails to compile: the base layer sees no header of the look layer just above
// it (nor any higher one), precompiled headers or not.
#include "look/AppStyle.h"
