#pragma once
// Effect files: our own small text format, one or more named techniques of named passes, each
// pass holding GLSL 330 vertex and fragment source. The grammar is documented in
// EffectFile.cpp. Both devices load effects through this parser, so a malformed file fails
// alike on each; only the OpenGL device compiles the GLSL.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

/// Vertex input names a pass may declare; the loader binds them to attribute locations 0..8
/// in this order, which is the stream order of the geometry buffers.
inline constexpr const char* kSemanticNames[9] = {
    "POSITION0", "COLOR0",        "TEXCOORD0",    "NORMAL0",   "TANGENT0",
    "TEXCOORD1", "BLENDINDICES0", "BLENDWEIGHT0", "TEXCOORD2",
};

/// Attribute location of a declaration element's usage and usage index (one of the names
/// above), or -1 when the element names none of them.
int semanticLocation(std::uint8_t usage, std::uint8_t usageIndex);

/// The technique the renderer draws with; a file without it is refused when loaded.
inline constexpr const char* kRequiredTechnique = "MyEffect";

inline constexpr std::size_t kMaxEffectFileBytes = 1u << 20;
inline constexpr std::size_t kMaxTechniques = 16;
inline constexpr std::size_t kMaxPassesPerTechnique = 16;
inline constexpr std::size_t kMaxEffectNameLength = 64;

struct EffectPassSource {
    std::string name;
    int line = 0;  ///< of its @pass
    std::string vertexSource;
    int vertexLine = 0;  ///< first source line of the stage
    std::string fragmentSource;
    int fragmentLine = 0;
};

struct EffectTechniqueSource {
    std::string name;
    int line = 0;
    std::vector<EffectPassSource> passes;
};

struct EffectFileSource {
    std::vector<EffectTechniqueSource> techniques;
    /// The technique of that name, or null.
    const EffectTechniqueSource* find(std::string_view name) const;
};

/// Parses text of any content (NUL bytes included). On failure returns false with
/// "line N: what is wrong" in error; out is then unspecified.
bool parseEffectFile(std::string_view text, EffectFileSource& out, std::string& error);

/// Reads and parses a file and requires kRequiredTechnique. A file that cannot be opened at
/// all (missing, not permitted) fails with error left empty; every other failure names the
/// file and the problem ("bin/min.fx: is a folder", "bin/min.fx, line 3: ...").
bool loadEffectFile(const char* path, EffectFileSource& out, std::string& error);

}  // namespace velmora
