// Built only by the layers_upward_include test, which passes when this file
// fails to compile: the base layer sees no header of the panel set layer above
// it, precompiled headers or not.
#include "panelset/PanelSet.h"
