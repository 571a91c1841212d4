#include "render/TextureManager.h"

#include "render/Image.h"

namespace velmora {

namespace {
TextureManager theTextureManager;
}  // namespace

TextureManager* const gTextureManager = &theTextureManager;

Texture* TextureManager::load(const char* fileName, bool withMips) {
    const char* name = fileName != nullptr ? fileName : "";
    for (const TextureEntry& entry : entries) {
        if (entry.fileName == name) {
            return entry.texture.get();
        }
    }
    Image image(name);
    if (withMips) {
        image.buildMipChain();
    }
    entries.push_back({name, std::make_unique<Texture>(image, withMips)});
    return entries.back().texture.get();
}

void TextureManager::clear() {
    entries.clear();
}

}  // namespace velmora
