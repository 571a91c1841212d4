#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "scenes/SceneDescription.h"

namespace velmora {

inline constexpr std::size_t kStartingStructureParticles = 10;
inline constexpr std::size_t kStartingStructureLinks = 30;
/// Index, within the structure, of the one pinned particle it hangs from.
inline constexpr std::size_t kStartingStructurePinned = 5;

/// A fully braced cube of side 5 (corners 0-3, 6-9) hanging by the chain 3-4-5 from particle
/// 5, pinned at the top of the box. Every link takes the present distance as its rest length.
SceneDescription startScene();
/// A x B x C particles 2 apart centred on the origin, i outermost, k innermost; each linked to
/// its +x, +y and +z neighbour in that order, rest length 2; none pinned.
SceneDescription latticeScene(int a, int b, int c);
/// n particles 2 apart along y = 9 from x = -9, each linked to the next; the first pinned.
SceneDescription ropeScene(int n);
/// w x h particles in the plane z = 0, row by row from y = 9 down, each linked to its right
/// and lower neighbour; the two top corners pinned.
SceneDescription sheetScene(int w, int h);

/// The scene a --scene name stands for: "start", "lattice:AxBxC" (sides 1 to 10),
/// "rope:N" (2 to 10), "sheet:WxH" (2 to 10). A bad name or size gives nothing and a reason.
std::optional<SceneDescription> builtInScene(std::string_view name, std::string& error);

/// The names builtInScene takes, for usage messages.
inline constexpr const char* kBuiltInSceneNames =
    "start, lattice:AxBxC (sides 1-10), rope:N (2-10), sheet:WxH (2-10)";

}  // namespace velmora
