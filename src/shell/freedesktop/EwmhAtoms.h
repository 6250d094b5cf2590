#pragma once

// The EWMH atoms the window stacking reads and writes, in the order of their
// enumerators: one table, so that a new atom is named in one place.

#include "FreedesktopWindowStacking.h"

enum FreedesktopWindowStacking::Atom : int
{
    SupportingWmCheck,
    Supported,
    ClientListStacking,
    ActiveWindow,
    CurrentDesktop,
    WmDesktop,
    WmPid,
    WmWindowType,
    WmWindowTypeDesktop,
    WmWindowTypeDock,
    WmState,
    WmStateAbove,
    WmStateBelow,
    WmStateHidden,
    WmStateSticky,
    WmStateSkipTaskbar,
    WmStateSkipPager,
    RestackWindow,
    RequestFrameExtents,
    FrameExtents,
    AtomCount
};

namespace EwmhAtoms {

inline constexpr const char *names[] = {"_NET_SUPPORTING_WM_CHECK",
                                        "_NET_SUPPORTED",
                                        "_NET_CLIENT_LIST_STACKING",
                                        "_NET_ACTIVE_WINDOW",
                                        "_NET_CURRENT_DESKTOP",
                                        "_NET_WM_DESKTOP",
                                        "_NET_WM_PID",
                                        "_NET_WM_WINDOW_TYPE",
                                        "_NET_WM_WINDOW_TYPE_DESKTOP",
                                        "_NET_WM_WINDOW_TYPE_DOCK",
                                        "_NET_WM_STATE",
                                        "_NET_WM_STATE_ABOVE",
                                        "_NET_WM_STATE_BELOW",
                                        "_NET_WM_STATE_HIDDEN",
                                        "_NET_WM_STATE_STICKY",
                                        "_NET_WM_STATE_SKIP_TASKBAR",
                                        "_NET_WM_STATE_SKIP_PAGER",
                                        "_NET_RESTACK_WINDOW",
                                        "_NET_REQUEST_FRAME_EXTENTS",
                                        "_NET_FRAME_EXTENTS"};

} // namespace EwmhAtoms
