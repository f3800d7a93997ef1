#pragma once

// What screen readers are told about the program's windows beyond Qt's
// defaults: the cover is a window, and a drop-down list keeps its own name
// instead of being named by its current item.
namespace Accessibility {

// Safe to call more than once; call before the first window is shown.
void install();

} // namespace Accessibility
