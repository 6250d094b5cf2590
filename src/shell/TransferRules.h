#pragma once

#include "shell/FileTransfer.h"

#include <Qt>

// How a drop of files between folders is carried out, as file managers do it.
namespace TransferRules {

// Ctrl copies, Shift moves, neither lets the file systems decide.
FileTransfer::Mode modeFor(Qt::KeyboardModifiers modifiers);

} // namespace TransferRules
