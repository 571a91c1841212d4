// Scene text is parsed whole into a document (SceneDocument.h) and then checked in the order it
// was written, so the first problem in the file is the one told.
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/BoundedFile.h"
#include "scenes/SceneDocument.h"
#include "scenes/SceneFile.h"

namespace velmora {
namespace {

using Json = SceneJson;

constexpr std::array<const char*, 6> kRootKeys = {"format", "version", "particles",
                                                  "links",  "camera",  "settings"};
constexpr std::array<const char*, 3> kParticleKeys = {"position", "velocity", "pinned"};
constexpr std::array<const char*, 5> kLinkKeys = {"a", "b", "rest", kStiffnessKey, kDampingKey};
constexpr std::array<const char*, 2> kCameraKeys = {"eye", "target"};
constexpr std::array<const char*, 7> kSettingsKeys = {
    kGravityKey,    kStiffnessKey,     kDampingKey,  kAirDragKey,
    kWallBounceKey, kContactBounceKey, kTimeScaleKey};
enum RootKey { Format, Version, ParticlesKey, LinksKey, CameraKey, SettingsKey };
enum ParticleKey { Position, Velocity, Pinned };
enum LinkKey { A, B, Rest, LinkStiffness, LinkDamping };
enum SettingsKey { Gravity, Stiffness, Damping, AirDrag, WallBounce, ContactBounce, TimeScale };

std::string kindOf(const Json& value) {
    return value.is_number()    ? "a number"
           : value.is_null()    ? "null"
           : value.is_boolean() ? "a boolean"
           : value.is_string()  ? "a string"
           : value.is_object()  ? "an object"
                                : "an array";
}

/// The float a number names; nothing when it lies beyond the float range. Numbers below the
/// float range become 0 or the nearest denormal.
std::optional<float> toFloat(const Json& n) {
    const float value = n.is_number_float()      ? static_cast<float>(n.get<double>())
                        : n.is_number_unsigned() ? static_cast<float>(n.get<std::uint64_t>())
                                                 : static_cast<float>(n.get<std::int64_t>());
    return std::isfinite(value) ? std::optional(value) : std::nullopt;
}

/// The whole number from 0 below limit a number names, or nothing.
std::optional<std::uint64_t> toIndex(const Json& n, std::uint64_t limit) {
    if (n.is_number_unsigned()) {
        const auto u = n.get<std::uint64_t>();
        return u < limit ? std::optional(u) : std::nullopt;
    }
    if (n.is_number_integer()) {
        const auto i = n.get<std::int64_t>();
        return i == 0 ? std::optional<std::uint64_t>(0) : std::nullopt;  // -0
    }
    const double v = n.get<double>();
    if (!(v >= 0.0) || v >= static_cast<double>(limit) || std::trunc(v) != v)
        return std::nullopt;
    return static_cast<std::uint64_t>(v);
}

/// The first problem found in a document, with where it is; it ends the checks.
struct Refusal {
    std::string what;
};

[[noreturn]] void refuse(std::string what) {
    throw Refusal{std::move(what)};
}

/// Checks a document in the order it was written and makes its scene. Of a document cut short
/// by a bound, the unfinished containers are not held to what only their ends could tell
/// (required keys, three numbers), and the whole neither to its format nor to its soundness.
class SceneChecker {
  public:
    explicit SceneChecker(const std::vector<Json*>& unfinished) : unfinished_(unfinished) {}

    SceneDescription sceneOf(const Json& root) {
        if (!root.is_object())
            refuse("the file must hold one JSON object, not " + kindOf(root));
        if (unfinished_.empty())
            checkFormatAndVersion(root);
        SceneDescription scene;
        forEachEntry(root, kRootKeys, "", 1u << ParticlesKey | 1u << LinksKey,
                     [&](std::size_t k, const Json& v) { rootEntry(k, v, scene); });
        if (auto problem = unfinished_.empty() ? sceneProblem(scene) : std::nullopt)
            refuse(*problem);
        return scene;
    }

  private:
    void rootEntry(std::size_t k, const Json& v, SceneDescription& scene) {
        if (k == Format && !v.is_string())
            refuse("\"format\" must be the string \"velmora-scene\", not " + kindOf(v));
        if (k == Version && !v.is_number())
            refuse("\"version\" must be the number 1, not " + kindOf(v));
        if (k == ParticlesKey) {
            forEachElement(v, "particles", "particle", kMaxSceneParticles,
                           [&](const Json& e, const std::string& where) {
                               scene.particles.push_back(particleOf(e, where));
                           });
        }
        if (k == LinksKey) {
            forEachElement(v, "links", "link", kMaxSceneLinks,
                           [&](const Json& e, const std::string& where) {
                               scene.links.push_back(linkOf(e, where));
                           });
        }
        if (k == CameraKey)
            scene.camera = cameraOf(v);
        if (k == SettingsKey)
            scene.settings = settingsOf(v);
    }

    bool finished(const Json& value) const {
        return std::find(unfinished_.begin(), unfinished_.end(), &value) == unfinished_.end();
    }

    /// Hands take(k, value) each entry of an object in order, where keys[k] is its key, each
    /// key one of `keys` and given once; then requires the keys whose bits are in `required`.
    template <std::size_t N, class Take>
    void forEachEntry(const Json& object, const std::array<const char*, N>& keys,
                      const std::string& where, std::uint32_t required, Take take) {
        std::uint32_t seen = 0;
        for (const auto& [key, value] : object.get_ref<const Json::object_t&>()) {
            const auto k =
                static_cast<std::size_t>(std::find(keys.begin(), keys.end(), key) - keys.begin());
            if (k == N)
                refuse(where + "unknown key \"" + key.substr(0, 32) + "\"");
            if ((seen & (1u << k)) != 0)
                refuse(where + "\"" + key + "\" given twice");
            seen |= 1u << k;
            take(k, value);
        }
        for (std::size_t k = 0; k < N && finished(object); ++k) {
            // The root's required keys are its two lists.
            if ((required & ~seen & (1u << k)) != 0)
                refuse(where + "no \"" + keys[k] + "\"" + (where.empty() ? " array" : ""));
        }
    }

    /// Hands take(element, where) each object of the root's list under key, with where it is
    /// ("particle 3: ").
    template <class Take>
    void forEachElement(const Json& value, const char* key, const char* element, std::size_t limit,
                        Take take) {
        if (!value.is_array())
            refuse(std::string("\"") + key + "\" must be an array, not " + kindOf(value));
        for (std::size_t i = 0; i < value.size(); ++i) {
            const std::string name = element + (" " + std::to_string(i));
            if (!value[i].is_object())
                refuse(name + " must be an object, not " + kindOf(value[i]));
            if (i == limit)
                refuse("more than " + std::to_string(limit) + " " + key);
            take(value[i], name + ": ");
        }
    }

    Vec3 vectorOf(const Json& value, const std::string& where, const char* key) {
        const std::string name = where + "\"" + key + "\"";
        if (!value.is_array())
            refuse(name + " must be an array of 3 numbers, not " + kindOf(value));
        float xyz[3] = {};
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (!value[i].is_number())
                refuse(name + " must be an array of 3 numbers, not " + kindOf(value[i]));
            if (i == 3)
                refuse(name + " needs 3 numbers, not more");
            const auto number = toFloat(value[i]);
            if (!number)
                refuse(where + "a number beyond the float range");
            xyz[i] = *number;
        }
        if (value.size() < 3 && finished(value))
            refuse(name + " needs 3 numbers, not " + std::to_string(value.size()));
        return {xyz[0], xyz[1], xyz[2]};
    }

    ParticleSpec particleOf(const Json& object, const std::string& where) {
        ParticleSpec p;
        forEachEntry(object, kParticleKeys, where, 1u << Position,
                     [&](std::size_t k, const Json& v) {
                         if (k == Pinned && !v.is_boolean())
                             refuse(where + "\"pinned\" must be true or false, not " + kindOf(v));
                         if (k == Pinned)
                             p.pinned = v.get<bool>();
                         else
                             (k == Position ? p.position : p.velocity) =
                                 vectorOf(v, where, kParticleKeys[k]);
                     });
        return p;
    }

    LinkSpec linkOf(const Json& object, const std::string& where) {
        LinkSpec l;
        forEachEntry(
            object, kLinkKeys, where, 1u << A | 1u << B, [&](std::size_t k, const Json& v) {
                const std::string name = where + "\"" + kLinkKeys[k] + "\"";
                if (!v.is_number()) {
                    refuse(
                        name +
                        (k == Rest ? " must be a number, not " : " must be a whole number, not ") +
                        kindOf(v));
                }
                if (k == LinkStiffness || k == LinkDamping) {
                    (k == LinkStiffness ? l.stiffness : l.damping) =
                        settingOf(v, name, k == LinkStiffness ? kStiffnessRange : kDampingRange);
                    return;
                }
                if (k == Rest) {
                    const auto rest = toFloat(v);
                    if (!rest || !(*rest >= 0.0f))
                        refuse(name + " must be a finite number, 0 or more");
                    l.restLength = *rest;
                    return;
                }
                const auto index = toIndex(v, kMaxSceneParticles);
                if (!index) {
                    refuse(name + " must be a whole number from 0 to " +
                           std::to_string(kMaxSceneParticles - 1));
                }
                (k == A ? l.a : l.b) = static_cast<std::uint32_t>(*index);
            });
        return l;
    }

    /// A setting's number, within its range; name says where and which it is.
    float settingOf(const Json& v, const std::string& name, const SettingRange& range) {
        if (!v.is_number())
            refuse(name + " must be a number, not " + kindOf(v));
        const auto value = toFloat(v);
        if (!value)
            refuse(name + " must be a finite number");
        if (auto problem = outsideRange(*value, range))
            refuse(name + " " + *problem);
        return *value;
    }

    PhysicsSettings settingsOf(const Json& value) {
        if (!value.is_object())
            refuse("\"settings\" must be an object, not " + kindOf(value));
        PhysicsSettings settings;
        const std::string where = "settings: ";
        forEachEntry(value, kSettingsKeys, where, 0u, [&](std::size_t k, const Json& v) {
            const std::string name = where + "\"" + kSettingsKeys[k] + "\"";
            switch (k) {
                case Gravity:
                    settings.gravity = vectorOf(v, where, kGravityKey);
                    for (const float g :
                         {settings.gravity.x, settings.gravity.y, settings.gravity.z}) {
                        if (auto problem = outsideRange(g, kGravityRange))
                            refuse(name + " components " + *problem);
                    }
                    break;
                case Stiffness:
                    settings.linkStiffness = settingOf(v, name, kStiffnessRange);
                    break;
                case Damping:
                    settings.linkDamping = settingOf(v, name, kDampingRange);
                    break;
                case AirDrag:
                    settings.airDrag = settingOf(v, name, kAirDragRange);
                    break;
                case WallBounce:
                    settings.wallBounceKeep = settingOf(v, name, kBounceKeepRange);
                    break;
                case ContactBounce:
                    settings.contactBounceKeep = settingOf(v, name, kBounceKeepRange);
                    break;
                default:
                    settings.timeScale = settingOf(v, name, kTimeScaleRange);
                    break;
            }
        });
        return settings;
    }

    CameraPose cameraOf(const Json& value) {
        if (!value.is_object())
            refuse("\"camera\" must be an object, not " + kindOf(value));
        CameraPose pose;
        forEachEntry(value, kCameraKeys, "camera: ", 3u, [&](std::size_t k, const Json& xyz) {
            (k == 0 ? pose.eye : pose.target) = vectorOf(xyz, "camera: ", kCameraKeys[k]);
        });
        return pose;
    }

    /// A file that is no scene is told by its format before anything else is held against it.
    static void checkFormatAndVersion(const Json& root) {
        std::optional<std::string> format;
        std::optional<std::uint64_t> version;
        bool versionSeen = false;
        for (const auto& [key, value] : root.get_ref<const Json::object_t&>()) {
            if (key == "format" && value.is_string())
                format = value.get<std::string>().substr(0, 64);
            if (key == "version") {
                versionSeen = true;
                version = value.is_number() ? toIndex(value, 1u << 31) : version;
            }
        }
        if (!format)
            refuse("not a velmora scene: no \"format\": \"velmora-scene\"");
        if (*format != kSceneFormat)
            refuse("not a velmora scene: \"format\" is \"" + *format + "\", not \"velmora-scene\"");
        if (version != static_cast<std::uint64_t>(kSceneVersion)) {
            refuse(versionSeen ? "\"version\" must be 1, the only version this program reads"
                               : "no \"version\"");
        }
    }

    const std::vector<Json*>& unfinished_;
};

}  // namespace

bool parseSceneText(std::string_view text, SceneDescription& out, std::string& error) {
    const SceneDocument document = parseSceneDocument(text);
    if (!document.whole && document.stopped.empty()) {
        error = document.syntaxError;
        return false;
    }
    try {
        // A document a bound cut short may show a problem before the bound; if not, the bound.
        SceneDescription scene = SceneChecker(document.unfinished).sceneOf(document.root);
        if (!document.whole)
            refuse(document.stopped);
        out = std::move(scene);
        return true;
    } catch (const Refusal& refusal) {
        error = refusal.what;
        return false;
    }
}

bool readSceneFile(const std::string& path, SceneDescription& out, std::string& error) {
    std::string text;
    if (!readBoundedFile(path, kMaxSceneFileBytes, text, error) ||
        !parseSceneText(text, out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace velmora
