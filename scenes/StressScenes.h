#pragma once
// Structures that have broken the physics before, as scenes: the tests and the benchmarks
// leave each alone for minutes of simulated time at frame times from 1/120 to 2 s and check
// that it holds together and comes to rest.
#include "scenes/SceneDescription.h"

namespace velmora {

/// A particle linked to 12 others at the corners of an icosahedron of radius spokeLength
/// around it, none pinned: it falls and the spokes crowd against each other on the floor.
SceneDescription hubScene(float spokeLength);
/// `count` particles evenly from x = -9 to 9 along y = 0, the two ends pinned, each linked to
/// the next at restShare of their spacing, so every link starts stretched; the middle one is
/// nudged 0.01 across the string.
SceneDescription tautStringScene(int count, float restShare);
/// Four columns of `storeys` particles standing on the floor, 2 apart (the contact distance)
/// in every direction, each linked to its neighbours along x, y and z.
SceneDescription towerScene(int storeys);
/// `layers` layers of 8 x 8 unlinked particles 2.2 apart above the floor, each layer shifted a
/// little, so they fall onto each other and topple into a pile.
SceneDescription pileScene(int layers);
/// `count` particles on a grid filling the box, every pair linked at its present distance.
SceneDescription fullyLinkedScene(int count);

}  // namespace velmora
