#include "platform/SdlXErrors.h"

// X11 defines macros (None, Bool, Status) that clash with other headers: included alone.
#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace velmora {
namespace {

XErrorHandler previousHandler = nullptr;
bool installed = false;

int handleXError(Display* display, XErrorEvent* error) {
    if (error->request_code == X_SetInputFocus && error->error_code == BadMatch) {
        return 0;  // the window was not viewable; the focus comes with the next map
    }
    return previousHandler != nullptr ? previousHandler(display, error) : 0;
}

}  // namespace

void tolerateFocusRaces() {
    if (!installed) {
        previousHandler = XSetErrorHandler(handleXError);
        installed = true;
    }
}

}  // namespace velmora
