#pragma once
// Scene files: JSON, read whole through the bounded file reader and parsed whole within bounds
// on nesting and size (SceneDocument.h), so memory stays small whatever the file holds.
//
//   {"format": "velmora-scene", "version": 1,
//    "particles": [{"position": [x, y, z], "velocity": [x, y, z], "pinned": false}, ...],
//    "links": [{"a": 0, "b": 1, "rest": 2.0}, ...],
//    "camera": {"eye": [x, y, z], "target": [x, y, z]}}
//
// - format, version, particles and links are required, in any order; velocity (default at
//   rest), pinned (default false), rest (default: the particles' distance when built) and
//   camera (default: the starting pose) are optional. Any other key is an error, so a
//   misspelt key is not silently ignored; so is a key given twice.
// - Numbers are 32-bit floats: each must round to a finite float (a number too small for a
//   float becomes 0 or the nearest denormal). Huge finite positions are accepted.
// - a and b count particles from 0 in file order. They are whole numbers: 3, or 3.0 and 3e0,
//   which name the same number; 1.5, -1 and 1e30 are refused.
// - Each link is listed once; a link of a particle to itself, a pair linked twice and a rest
//   length that is not a positive finite number are refused.
// - The writer puts one particle or link on a line and writes every float in the shortest form
//   that reads back as the same float, so a save and a load keep every bit.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "scenes/SceneDescription.h"

namespace velmora {

inline constexpr const char* kSceneFormat = "velmora-scene";
inline constexpr int kSceneVersion = 1;
inline constexpr std::uintmax_t kMaxSceneFileBytes = 64u << 20;
inline constexpr std::size_t kMaxSceneParticles = 10000;
inline constexpr std::size_t kMaxSceneLinks = 100000;

/// What is wrong with a scene that a scene file could not hold or the reader would refuse:
/// too many particles or links, a number that is not finite, a link index out of range, a
/// link to itself, a pair linked twice, a rest length that is not positive and finite (a
/// negative one, which the built-in scenes use for "the present distance", passes). Nothing
/// when it is sound. Names the particle or link: "link 4: joins particle 2 to itself".
std::optional<std::string> sceneProblem(const SceneDescription& scene);

/// Parses scene text. On failure returns false and says what is wrong and where in error
/// ("particle 3: position needs 3 numbers", "invalid JSON at byte 17: ..."); out is then
/// left as it was.
bool parseSceneText(std::string_view text, SceneDescription& out, std::string& error);

/// Reads and parses a scene file: a regular file of at most kMaxSceneFileBytes. error starts
/// with the path: "scenes/bad.json: link 4: joins particle 2 to itself". out is left as it
/// was on failure.
bool readSceneFile(const std::string& path, SceneDescription& out, std::string& error);

/// The scene as file text. The scene must be sound (see sceneProblem).
std::string sceneText(const SceneDescription& scene);

/// Writes the scene to path atomically (see platform/AtomicFile.h). Refuses a scene that
/// sceneProblem finds fault with, so a save never makes a file the reader refuses. error says
/// why.
bool writeSceneFile(const std::string& path, const SceneDescription& scene, std::string& error);

}  // namespace velmora
