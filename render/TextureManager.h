#pragma once
#include <memory>
#include <string>
#include <vector>

#include "render/Texture.h"

namespace velmora {

/// One file loaded so far: the name exactly as its first caller gave it, and its texture.
struct TextureEntry {
    std::string fileName;
    std::unique_ptr<Texture> texture;
};

/// Hands out one Texture per file name. The first request for a name reads the picture,
/// optionally makes its reduced copies and uploads it to the renderer's device; later
/// requests return the same texture. Owns every texture it made.
class TextureManager {
  public:
    /// Never null; valid until clear(). Names match byte for byte (no case folding, no path
    /// normalisation), and a file keeps the mip levels of its first load. A file that
    /// cannot be read gives a 1 x 1 opaque white texture, cached under its name as well.
    Texture* load(const char* fileName, bool withMips);

    /// Destroys every texture and forgets every name. Textures are device objects: call it
    /// while the device that made them is still there (tests, shut-down).
    void clear();

    std::vector<TextureEntry> entries;  ///< in load order
};

/// The one texture manager, constructed empty before the entry point runs.
extern TextureManager* const gTextureManager;

}  // namespace velmora
