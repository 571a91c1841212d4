#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>

#include "platform/BoundedFile.h"
#include "scenes/SceneFile.h"

namespace velmora {
namespace {

using Json = nlohmann::json;

/// Root object, an array of them, an element, its three numbers: nothing goes deeper.
constexpr std::size_t kMaxDepth = 4;

enum class Context { Root, Particles, Particle, Links, Link, Camera, Vector };

/// The keys each object may hold, in the order of their bits in Frame::seenKeys.
constexpr std::array<const char*, 5> kRootKeys = {"format", "version", "particles", "links",
                                                  "camera"};
constexpr std::array<const char*, 3> kParticleKeys = {"position", "velocity", "pinned"};
constexpr std::array<const char*, 3> kLinkKeys = {"a", "b", "rest"};
constexpr std::array<const char*, 2> kCameraKeys = {"eye", "target"};
enum RootKey { Format, Version, ParticlesKey, LinksKey, CameraKey };
enum ParticleKey { Position, Velocity, Pinned };
enum LinkKey { A, B, Rest };

struct Frame {
    Context context;
    std::uint32_t seenKeys = 0;
    int key = -1;            ///< the key whose value comes next, in an object
    std::size_t count = 0;   ///< elements so far, in an array
    Vec3* vector = nullptr;  ///< where a Vector's numbers go
};

/// A number as the parser met it: an integer token, or a float token with its text.
struct Number {
    bool isFloat = false;
    bool negative = false;
    std::uint64_t magnitude = 0;  ///< integer tokens
    double value = 0.0;           ///< float tokens
    std::string_view text;        ///< float tokens
};

/// The float a number names, rounded once from its decimal text; nothing when it lies beyond
/// the float range. Numbers below the float range become 0 or the nearest denormal.
std::optional<float> toFloat(const Number& n) {
    if (!n.isFloat) {
        const float magnitude = static_cast<float>(n.magnitude);
        return n.negative ? -magnitude : magnitude;
    }
    float value = 0.0f;
    const char* end = n.text.data() + n.text.size();
    const auto [ptr, ec] = std::from_chars(n.text.data(), end, value);
    if (ec == std::errc() && ptr == end && std::isfinite(value)) {
        return value;
    }
    if (ec == std::errc::result_out_of_range && std::fabs(n.value) < FLT_MIN) {
        return static_cast<float>(n.value);
    }
    return std::nullopt;
}

/// The whole number from 0 below limit a number names, or nothing.
std::optional<std::uint64_t> toIndex(const Number& n, std::uint64_t limit) {
    if (!n.isFloat) {
        if (n.negative && n.magnitude != 0) {
            return std::nullopt;
        }
        return n.magnitude < limit ? std::optional(n.magnitude) : std::nullopt;
    }
    if (!(n.value >= 0.0) || n.value >= static_cast<double>(limit) ||
        std::trunc(n.value) != n.value) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(n.value);
}

/// Follows the parser's events, keeping only what fits the format. The first thing found
/// wrong is kept and everything after it is only skipped (still bounded in depth), so that
/// a file that is not a scene at all is reported by its "format" wherever that key comes.
class SceneReader final : public nlohmann::json_sax<Json> {
  public:
    SceneDescription scene;
    std::string problem;      ///< the first thing found wrong, with where
    std::string syntaxError;  ///< the parser's complaint
    bool tooDeep = false;     ///< parsing stopped at the depth limit
    std::optional<std::string> format;
    std::optional<Number> version;
    bool versionSeen = false;

    SceneReader() { frames.reserve(kMaxDepth); }

    bool null() override { return value("null"); }
    bool boolean(bool b) override {
        if (skipping() || slot() != Slot::Pinned) {
            return value("a boolean");
        }
        scene.particles.back().pinned = b;
        return true;
    }
    bool number_integer(number_integer_t v) override {
        Number n;
        n.negative = v < 0;
        n.magnitude = v < 0 ? 0u - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
        return number(n);
    }
    bool number_unsigned(number_unsigned_t v) override {
        Number n;
        n.magnitude = v;
        return number(n);
    }
    bool number_float(number_float_t v, const string_t& text) override {
        Number n;
        n.isFloat = true;
        n.value = v;
        n.text = text;
        return number(n);
    }
    bool string(string_t& s) override {
        if (atRootKey(Format)) {
            format = s.substr(0, 64);
        }
        if (skipping() || slot() != Slot::Format) {
            return value("a string");
        }
        return true;
    }
    bool binary(binary_t&) override { return value("binary"); }

    bool start_object(std::size_t) override {
        if (depth == kMaxDepth) {
            return nestedTooDeep();
        }
        ++depth;
        if (skipping()) {
            return true;
        }
        switch (frames.empty() ? Slot::Root : slot()) {
            case Slot::Root:
                frames.push_back({Context::Root});
                return true;
            case Slot::ParticleElement:
                if (scene.particles.size() == kMaxSceneParticles) {
                    return fail("more than " + std::to_string(kMaxSceneParticles) + " particles");
                }
                scene.particles.emplace_back();
                frames.push_back({Context::Particle});
                return true;
            case Slot::LinkElement:
                if (scene.links.size() == kMaxSceneLinks) {
                    return fail("more than " + std::to_string(kMaxSceneLinks) + " links");
                }
                scene.links.emplace_back();
                frames.push_back({Context::Link});
                return true;
            case Slot::CameraObject:
                scene.camera = CameraPose{};
                frames.push_back({Context::Camera});
                return true;
            default:
                return value("an object");
        }
    }

    bool start_array(std::size_t) override {
        if (depth == kMaxDepth) {
            return nestedTooDeep();
        }
        ++depth;
        if (skipping()) {
            return true;
        }
        switch (slot()) {
            case Slot::ParticlesArray:
                frames.push_back({Context::Particles});
                return true;
            case Slot::LinksArray:
                frames.push_back({Context::Links});
                return true;
            case Slot::Position:
            case Slot::Velocity:
            case Slot::Eye:
            case Slot::Target:
                frames.push_back({Context::Vector, 0, -1, 0, vectorFor(slot())});
                return true;
            default:
                return value("an array");
        }
    }

    bool key(string_t& name) override {
        if (skipping()) {
            rootKey = depth == 1 ? keyIndex(kRootKeys, name) : -1;
            versionSeen = versionSeen || rootKey == Version;
            return true;
        }
        Frame& f = frames.back();
        const int k = f.context == Context::Root       ? keyIndex(kRootKeys, name)
                      : f.context == Context::Particle ? keyIndex(kParticleKeys, name)
                      : f.context == Context::Link     ? keyIndex(kLinkKeys, name)
                                                       : keyIndex(kCameraKeys, name);
        rootKey = f.context == Context::Root ? k : -1;
        versionSeen = versionSeen || rootKey == Version;
        if (k < 0) {
            return fail("unknown key \"" + name.substr(0, 32) + "\"");
        }
        if (f.seenKeys & (1u << k)) {
            return fail("\"" + name + "\" given twice");
        }
        f.seenKeys |= 1u << k;
        f.key = k;
        return true;
    }

    bool end_object() override {
        --depth;
        if (skipping()) {
            return true;
        }
        const Frame f = frames.back();
        const auto missing = [&](int k) { return (f.seenKeys & (1u << k)) == 0; };
        if (f.context == Context::Particle && missing(Position)) {
            return fail("no \"position\"");
        }
        if (f.context == Context::Link && (missing(A) || missing(B))) {
            return fail(missing(A) ? "no \"a\"" : "no \"b\"");
        }
        if (f.context == Context::Camera && (missing(0) || missing(1))) {
            return fail(missing(0) ? "no \"eye\"" : "no \"target\"");
        }
        if (f.context == Context::Root && (missing(ParticlesKey) || missing(LinksKey))) {
            return fail(missing(ParticlesKey) ? "no \"particles\" array" : "no \"links\" array");
        }
        frames.pop_back();
        return true;
    }

    bool end_array() override {
        --depth;
        if (skipping()) {
            return true;
        }
        if (frames.back().context == Context::Vector && frames.back().count != 3) {
            return fail(vectorName() + " needs 3 numbers, not " +
                        std::to_string(frames.back().count));
        }
        frames.pop_back();
        return true;
    }

    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& e) override {
        // e.what() is "[json.exception.parse_error.101] parse error at line 1, column 5: ...".
        std::string what = e.what();
        const std::size_t colon = what.find(": ");
        what = colon == std::string::npos ? what : what.substr(colon + 2);
        syntaxError = "invalid JSON at byte " + std::to_string(position) + ": " + what;
        return false;
    }

  private:
    enum class Slot {
        None,
        Root,
        Format,
        Version,
        ParticlesArray,
        LinksArray,
        CameraObject,
        ParticleElement,
        LinkElement,
        Position,
        Velocity,
        Pinned,
        LinkA,
        LinkB,
        Rest,
        Eye,
        Target,
        VectorElement,
    };

    std::vector<Frame> frames;
    std::size_t depth = 0;
    int rootKey = -1;  ///< the root key whose value comes next, if any

    bool skipping() const { return !problem.empty(); }

    bool atRootKey(RootKey k) const { return depth == 1 && rootKey == k; }

    template <std::size_t N>
    static int keyIndex(const std::array<const char*, N>& keys, const std::string& name) {
        for (std::size_t i = 0; i < N; ++i) {
            if (name == keys[i]) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    /// What the next value fills.
    Slot slot() const {
        if (frames.empty()) {
            return Slot::None;
        }
        const Frame& f = frames.back();
        switch (f.context) {
            case Context::Root: {
                constexpr Slot slots[] = {Slot::Format, Slot::Version, Slot::ParticlesArray,
                                          Slot::LinksArray, Slot::CameraObject};
                return slots[f.key];
            }
            case Context::Particles:
                return Slot::ParticleElement;
            case Context::Links:
                return Slot::LinkElement;
            case Context::Particle: {
                constexpr Slot slots[] = {Slot::Position, Slot::Velocity, Slot::Pinned};
                return slots[f.key];
            }
            case Context::Link: {
                constexpr Slot slots[] = {Slot::LinkA, Slot::LinkB, Slot::Rest};
                return slots[f.key];
            }
            case Context::Camera:
                return f.key == 0 ? Slot::Eye : Slot::Target;
            case Context::Vector:
                return Slot::VectorElement;
        }
        return Slot::None;
    }

    Vec3* vectorFor(Slot s) {
        switch (s) {
            case Slot::Position:
                return &scene.particles.back().position;
            case Slot::Velocity:
                return &scene.particles.back().velocity;
            case Slot::Eye:
                return &scene.camera->eye;
            default:
                return &scene.camera->target;
        }
    }

    /// Where the parser is, for messages: "particle 3: ", "link 4: ", "camera: " or "".
    std::string where() const {
        for (auto f = frames.rbegin(); f != frames.rend(); ++f) {
            if (f->context == Context::Particle) {
                return "particle " + std::to_string(scene.particles.size() - 1) + ": ";
            }
            if (f->context == Context::Link) {
                return "link " + std::to_string(scene.links.size() - 1) + ": ";
            }
            if (f->context == Context::Camera) {
                return "camera: ";
            }
        }
        return "";
    }

    /// Keeps the first thing found wrong and goes on skipping.
    bool fail(const std::string& what) {
        if (problem.empty()) {
            problem = where() + what;
        }
        return true;
    }

    /// The key of the vector being read or about to be: "\"position\"" and so on.
    std::string vectorName() const {
        const bool inVector = frames.back().context == Context::Vector;
        const Frame& owner = inVector ? frames[frames.size() - 2] : frames.back();
        const auto k = static_cast<std::size_t>(owner.key);
        return std::string("\"") +
               (owner.context == Context::Camera ? kCameraKeys[k] : kParticleKeys[k]) + "\"";
    }

    bool nestedTooDeep() {
        fail("nested deeper than a scene file goes");
        tooDeep = true;
        return false;  // stops the parser: the nesting could run to the end of the file
    }

    /// A value that does not belong where it stands: says what belongs there.
    bool value(const char* found) {
        if (skipping()) {
            return true;
        }
        if (frames.empty()) {
            return fail(std::string("the file must hold one JSON object, not ") + found);
        }
        const char* wanted = "";
        switch (slot()) {
            case Slot::Format:
                wanted = "\"format\" must be the string \"velmora-scene\"";
                break;
            case Slot::Version:
                wanted = "\"version\" must be the number 1";
                break;
            case Slot::ParticlesArray:
                wanted = "\"particles\" must be an array";
                break;
            case Slot::LinksArray:
                wanted = "\"links\" must be an array";
                break;
            case Slot::CameraObject:
                wanted = "\"camera\" must be an object";
                break;
            case Slot::ParticleElement:
                return fail("particle " + std::to_string(scene.particles.size()) +
                            " must be an object, not " + found);
            case Slot::LinkElement:
                return fail("link " + std::to_string(scene.links.size()) +
                            " must be an object, not " + found);
            case Slot::Pinned:
                wanted = "\"pinned\" must be true or false";
                break;
            case Slot::LinkA:
                wanted = "\"a\" must be a whole number";
                break;
            case Slot::LinkB:
                wanted = "\"b\" must be a whole number";
                break;
            case Slot::Rest:
                wanted = "\"rest\" must be a number";
                break;
            case Slot::VectorElement:
            case Slot::Position:
            case Slot::Velocity:
            case Slot::Eye:
            case Slot::Target:
                return fail(vectorName() + " must be an array of 3 numbers, not " + found);
            default:
                break;
        }
        return fail(std::string(wanted) + ", not " + found);
    }

    bool number(const Number& n) {
        if (atRootKey(Version)) {
            version = n;
            version->text = {};  // the parser reuses the text's storage
        }
        if (skipping()) {
            return true;
        }
        const Slot s = frames.empty() ? Slot::None : slot();
        if (s == Slot::Version) {
            return true;  // checked with the format, after the whole file
        }
        if (s == Slot::VectorElement) {
            Frame& f = frames.back();
            if (++f.count > 3) {
                return fail(vectorName() + " needs 3 numbers, not more");
            }
            const auto v = toFloat(n);
            if (!v) {
                return fail("a number beyond the float range");
            }
            (f.count == 1 ? f.vector->x : f.count == 2 ? f.vector->y : f.vector->z) = *v;
            return true;
        }
        if (s == Slot::LinkA || s == Slot::LinkB) {
            const auto index = toIndex(n, kMaxSceneParticles);
            if (!index) {
                return fail(std::string("\"") + (s == Slot::LinkA ? "a" : "b") +
                            "\" must be a whole number from 0 to " +
                            std::to_string(kMaxSceneParticles - 1));
            }
            (s == Slot::LinkA ? scene.links.back().a : scene.links.back().b) =
                static_cast<std::uint32_t>(*index);
            return true;
        }
        if (s == Slot::Rest) {
            const auto v = toFloat(n);
            if (!v || !(*v > 0.0f)) {
                return fail("\"rest\" must be a positive finite number");
            }
            scene.links.back().restLength = *v;
            return true;
        }
        return value("a number");
    }
};

}  // namespace

bool parseSceneText(std::string_view text, SceneDescription& out, std::string& error) {
    SceneReader reader;
    Json::sax_parse(text, &reader);
    if (!reader.syntaxError.empty() && !reader.tooDeep) {
        error = reader.syntaxError;
        return false;
    }
    // A file that is no scene is told by its format before anything else is held against it,
    // unless the parser had to stop before it could have seen the format.
    if (!reader.tooDeep) {
        if (!reader.format) {
            error = "not a velmora scene: no \"format\": \"velmora-scene\"";
            return false;
        }
        if (*reader.format != kSceneFormat) {
            error = "not a velmora scene: \"format\" is \"" + *reader.format +
                    "\", not \"velmora-scene\"";
            return false;
        }
        const auto version = reader.version ? toIndex(*reader.version, 1u << 31) : std::nullopt;
        if (!version || *version != static_cast<std::uint64_t>(kSceneVersion)) {
            error = reader.versionSeen
                        ? "\"version\" must be 1, the only version this program reads"
                        : "no \"version\"";
            return false;
        }
    }
    if (!reader.problem.empty()) {
        error = reader.problem;
        return false;
    }
    if (auto problem = sceneProblem(reader.scene)) {
        error = *problem;
        return false;
    }
    out = std::move(reader.scene);
    return true;
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
