#pragma once
#include <array>

#include "platform/OperatingSystem.h"
#include "platform/VirtualKeys.h"

namespace velmora {

/// The per-pass snapshot of keys, mouse buttons (codes 1 left, 2 right, 4 middle) and
/// cursor, indexed by Windows virtual-key code. After every update, for every code:
/// pressed implies down, released implies not down, and never both pressed and released.
class InputState {
  public:
    std::array<bool, kVirtualKeyCount> down{};      ///< held at this update
    std::array<bool, kVirtualKeyCount> pressed{};   ///< held now, not at the previous update
    std::array<bool, kVirtualKeyCount> released{};  ///< held at the previous update, not now
    /// Client pixels of the window at this update: drag and look measure motion in the
    /// window, so moving the window itself moves nothing, live or replayed.
    Point cursor;
    Point previousCursor;  ///< the value `cursor` had just before this update
    OperatingSystem& os;

    /// All flags false; the cursor at the client origin until the first update.
    explicit InputState(OperatingSystem& os_);

    /// Polls all 256 codes in ascending order, then moves the cursor along.
    void update();
};

/// The one snapshot, owned by the entry point.
extern InputState* input;

}  // namespace velmora
