#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/AtomicFile.h"
#include "scenes/SceneFile.h"

namespace velmora {
namespace {

#if !defined(__cpp_lib_to_chars)
/// The length of `format` (with a precision from `fewest` to 9) printed with the fewest
/// digits that read back as value; -1 when none does (NaN, or a plain form too long).
int shortestReadBack(char* out, std::size_t size, const char* format, int fewest, float value) {
    for (int digits = fewest; digits <= 9; ++digits) {
        const int length = std::snprintf(out, size, format, digits, static_cast<double>(value));
        if (length > 0 && static_cast<std::size_t>(length) < size &&
            std::strtof(out, nullptr) == value)
            return length;
    }
    return -1;
}
#endif

/// The shortest text that reads back as the same float, always with a point or an exponent,
/// so that JSON keeps it a float (an integer token would lose the sign of -0).
void appendFloat(std::string& out, float value) {
    char text[64];
#if defined(__cpp_lib_to_chars)
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    const std::string_view written(text, static_cast<std::size_t>(end - text));
#else
    // A C++ library without floating-point to_chars (the web build's): the shorter of the
    // fewest digits that read back as the same float, in plain or exponent form (100, not
    // 1e+02; 1e-20, not twenty zeros), plain on a tie, as to_chars chooses.
    char exponent[32];
    const int plainLength = shortestReadBack(text, sizeof text, "%.*f", 0, value);
    const int exponentLength = shortestReadBack(exponent, sizeof exponent, "%.*g", 1, value);
    if (plainLength < 0 || (exponentLength > 0 && exponentLength < plainLength))
        std::memcpy(text, exponent, sizeof exponent);
    const std::string_view written(text, std::strlen(text));
#endif
    out += written;
    if (written.find_first_of(".e") == std::string_view::npos) {
        out += ".0";
    }
}

void appendVector(std::string& out, const char* key, const Vec3& v) {
    out += '"';
    out += key;
    out += "\": [";
    appendFloat(out, v.x);
    out += ", ";
    appendFloat(out, v.y);
    out += ", ";
    appendFloat(out, v.z);
    out += ']';
}

/// ", \"key\": value", when there is a value.
void appendNumber(std::string& out, const char* key, std::optional<float> value) {
    if (!value)
        return;
    out += ", \"";
    out += key;
    out += "\": ";
    appendFloat(out, *value);
}

}  // namespace

std::string sceneText(const SceneDescription& scene) {
    std::string out;
    // About 80 bytes a particle and 30 a link.
    out.reserve(256 + scene.particles.size() * 96 + scene.links.size() * 40);
    out += "{\n  \"format\": \"";
    out += kSceneFormat;
    out += "\",\n  \"version\": " + std::to_string(kSceneVersion) + ",\n  \"particles\": [";
    for (std::size_t i = 0; i < scene.particles.size(); ++i) {
        const ParticleSpec& p = scene.particles[i];
        out += i == 0 ? "\n    {" : ",\n    {";
        appendVector(out, "position", p.position);
        out += ", ";
        appendVector(out, "velocity", p.velocity);
        out += p.pinned ? ", \"pinned\": true}" : ", \"pinned\": false}";
    }
    out += scene.particles.empty() ? "],\n  \"links\": [" : "\n  ],\n  \"links\": [";
    for (std::size_t i = 0; i < scene.links.size(); ++i) {
        const LinkSpec& l = scene.links[i];
        out += i == 0 ? "\n    {\"a\": " : ",\n    {\"a\": ";
        out += std::to_string(l.a) + ", \"b\": " + std::to_string(l.b);
        // A negative rest length stands for the distance at build time, which is also what a
        // link without one gets when read.
        if (!(l.restLength < 0.0f)) {
            out += ", \"rest\": ";
            appendFloat(out, l.restLength);
        }
        appendNumber(out, kStiffnessKey, l.stiffness);
        appendNumber(out, kDampingKey, l.damping);
        out += '}';
    }
    out += scene.links.empty() ? "]" : "\n  ]";
    if (scene.camera) {
        out += ",\n  \"camera\": {";
        appendVector(out, "eye", scene.camera->eye);
        out += ", ";
        appendVector(out, "target", scene.camera->target);
        out += '}';
    }
    if (scene.settings) {
        const PhysicsSettings& settings = *scene.settings;
        out += ",\n  \"settings\": {";
        appendVector(out, kGravityKey, settings.gravity);
        appendNumber(out, kStiffnessKey, settings.linkStiffness);
        appendNumber(out, kDampingKey, settings.linkDamping);
        appendNumber(out, kAirDragKey, settings.airDrag);
        appendNumber(out, kWallBounceKey, settings.wallBounceKeep);
        appendNumber(out, kContactBounceKey, settings.contactBounceKeep);
        appendNumber(out, kTimeScaleKey, settings.timeScale);
        out += '}';
    }
    out += "\n}\n";
    return out;
}

bool writeSceneFile(const std::string& path, const SceneDescription& scene, std::string& error) {
    if (auto problem = sceneProblem(scene)) {
        error = "the scene cannot be saved as it is: " + *problem;
        return false;
    }
    return replaceFile(path, sceneText(scene), error);
}

}  // namespace velmora
