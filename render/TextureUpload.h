#pragma once
#include <cstdint>

#include "platform/GpuDevice.h"

namespace velmora {

class Image;

/// Copies levels 0..levels - 1 of the image (the picture, then its reduced copies) into the
/// texture's 4-byte texels, row k of the storage into texel row k, following the pitch each
/// lock reports. 3-byte pixels fill the first three bytes (B, G, R) of a texel and leave
/// the fourth alone. Levels the texture or the image lacks, and locks that fail or report
/// a pitch shorter than a row, are skipped.
void uploadImage(DeviceTexture& texture, const Image& image, std::uint32_t levels);

}  // namespace velmora
