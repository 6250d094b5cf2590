#pragma once

#include <QImage>

#include <shlobj.h>

// Icons of the system image list, as images made on any thread.
namespace ShellIcons {

// The system image list's index of an item's icon, or -1.
int indexOf(PCIDLIST_ABSOLUTE pidl);
// The index of the generic folder or file icon, or -1.
int genericIndex(bool folder);

// The icon at index from the smallest system list that holds px pixels (32,
// 48 or 256), cropped to the icon where the shell drew it small in the corner
// of a larger canvas; null when there is none. Not yet scaled to px.
QImage image(int index, int px);

} // namespace ShellIcons
