#pragma once

// What screen readers are told about the program's windows beyond Qt's
// defaults: the cover is a window.
namespace Accessibility {

// Safe to call more than once; call before the first window is shown.
void install();

} // namespace Accessibility
