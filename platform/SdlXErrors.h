#pragma once
// X errors the program survives.

namespace velmora {

/// Installs an X error handler (once per process) that lets a focus request on a window that
/// is not viewable fail quietly and hands every other error to the handler before it. A window
/// manager that remaps the window while it is restyled leaves it unviewable for a moment, and
/// SDL then gives it the focus back: Xlib's own handler would end the program over that.
void tolerateFocusRaces();

}  // namespace velmora
