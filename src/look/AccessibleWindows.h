#pragma once

// The program's own top-level windows (panels, the to-do list, the search) are
// plain widgets, which assistive technology would otherwise be told are a
// filler with no window around it: they are windows, named by their title.
namespace AccessibleWindows {

// Before the first window is asked about; installing again changes nothing.
void install();

} // namespace AccessibleWindows
