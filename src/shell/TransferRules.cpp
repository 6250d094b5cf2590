#include "shell/TransferRules.h"

namespace TransferRules {

FileTransfer::Mode modeFor(Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::ControlModifier))
        return FileTransfer::Mode::Copy;
    if (modifiers.testFlag(Qt::ShiftModifier))
        return FileTransfer::Mode::Move;
    return FileTransfer::Mode::Automatic;
}

} // namespace TransferRules
