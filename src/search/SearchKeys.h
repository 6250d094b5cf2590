#pragma once

#include <Qt>

#include <algorithm>

// What a key pressed in the quick search field does to the window.
namespace SearchKeys {

// PassOn: the field's, or the input method's while it composes. Swallow: taken, nothing to do.
// Choose: the result in row.
enum class Effect
{
    PassOn,
    Swallow,
    Close,
    Open,
    Choose
};

struct Outcome
{
    Effect effect;
    int row = -1;
};

// current: the current row, -1 for none; count: the results shown.
inline Outcome press(int key, bool autoRepeat, bool composing, int current, int count)
{
    const int step = key == Qt::Key_Down ? 1 : (key == Qt::Key_Up ? -1 : 0);
    if (composing)
        return {Effect::PassOn};
    if (key == Qt::Key_Escape)
        return {Effect::Close};
    // Holding Enter opens the item once.
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return {!autoRepeat && current >= 0 ? Effect::Open : Effect::Swallow};
    if (step == 0 || count == 0)
        return {step == 0 ? Effect::PassOn : Effect::Swallow};
    return {Effect::Choose, std::clamp(current + step, 0, count - 1)};
}

} // namespace SearchKeys
