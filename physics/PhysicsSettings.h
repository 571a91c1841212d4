#pragma once
// The physics a scene runs under: gravity, the links' spring and damper, the air, the bounces
// and the pace of time. The defaults are the described constants, so a scene that says nothing
// of its physics moves exactly as before.
#include <optional>
#include <string>

#include "math/Vec3.h"
#include "physics/ParticleLink.h"

namespace velmora {

/// Share of the velocity kept by every bounce, off a wall or off another particle.
inline constexpr float kBounceKeep = 0.9f;
inline constexpr float kGravity = -9.8f;  ///< world units per second squared, along y
inline constexpr float kDrag = -0.1f;     ///< force per unit of velocity

struct PhysicsSettings {
    Vec3 gravity{0.0f, kGravity, 0.0f};     ///< world units per second squared
    float linkStiffness = kLinkStiffness;   ///< of every link made from now on
    float linkDamping = kLinkDamping;       ///< of every link made from now on
    float airDrag = -kDrag;                 ///< force against each unit of velocity
    float wallBounceKeep = kBounceKeep;     ///< share of the speed a wall gives back
    float contactBounceKeep = kBounceKeep;  ///< share of the speed a particle contact gives back
    float timeScale = 1.0f;                 ///< simulated seconds per second of the clock

    bool operator==(const PhysicsSettings& o) const {
        return gravity.x == o.gravity.x && gravity.y == o.gravity.y && gravity.z == o.gravity.z &&
               linkStiffness == o.linkStiffness && linkDamping == o.linkDamping &&
               airDrag == o.airDrag && wallBounceKeep == o.wallBounceKeep &&
               contactBounceKeep == o.contactBounceKeep && timeScale == o.timeScale;
    }
};

/// The settings of a scene that names none.
inline constexpr PhysicsSettings kDescribedSettings{};

/// What each setting may be, bounds included. Outside them the step cannot be kept stable in
/// ten sub-steps at any frame rate, or a bounce would give back more than it took; a link with
/// no damper at all gains energy at every step, however short.
struct SettingRange {
    float least;
    float most;
    bool holds(float value) const { return value >= least && value <= most; }
};
inline constexpr SettingRange kGravityRange{-100.0f, 100.0f};  ///< each component
inline constexpr SettingRange kStiffnessRange{0.0f, 10000.0f};
inline constexpr SettingRange kDampingRange{0.1f, 1000.0f};
inline constexpr SettingRange kAirDragRange{0.0f, 10.0f};
inline constexpr SettingRange kBounceKeepRange{0.0f, 1.0f};
inline constexpr SettingRange kTimeScaleRange{1.0f / 16.0f, 2.0f};

/// Gravity presets, world units per second squared, straight down.
inline constexpr float kEarthGravity = 9.8f;
inline constexpr float kMoonGravity = 1.62f;
inline constexpr float kJupiterGravity = 24.8f;

/// The names settings go by in scene files and in what is said of them.
inline constexpr const char* kGravityKey = "gravity";
inline constexpr const char* kStiffnessKey = "stiffness";
inline constexpr const char* kDampingKey = "damping";
inline constexpr const char* kAirDragKey = "drag";
inline constexpr const char* kWallBounceKey = "wall-bounce";
inline constexpr const char* kContactBounceKey = "contact-bounce";
inline constexpr const char* kTimeScaleKey = "time-scale";

/// "must be from 0 to 10000" for a value outside range (NaN included); nothing when it holds.
std::optional<std::string> outsideRange(float value, const SettingRange& range);
/// The first setting outside its range, named: "\"time-scale\" must be from 0.0625 to 2".
std::optional<std::string> settingsProblem(const PhysicsSettings& settings);

}  // namespace velmora
