#include "physics/PhysicsSettings.h"

#include <cstdio>

namespace velmora {

std::optional<std::string> outsideRange(float value, const SettingRange& range) {
    if (range.holds(value))
        return std::nullopt;
    char text[64];
    std::snprintf(text, sizeof text, "must be from %g to %g", static_cast<double>(range.least),
                  static_cast<double>(range.most));
    return text;
}

std::optional<std::string> settingsProblem(const PhysicsSettings& settings) {
    const auto named = [](const char* key, std::optional<std::string> problem) {
        return problem ? std::optional("\"" + std::string(key) + "\" " + *problem) : problem;
    };
    for (const float g : {settings.gravity.x, settings.gravity.y, settings.gravity.z}) {
        if (auto problem = outsideRange(g, kGravityRange))
            return named(kGravityKey, "components " + *problem);
    }
    const std::pair<const char*, std::optional<std::string>> checks[] = {
        {kStiffnessKey, outsideRange(settings.linkStiffness, kStiffnessRange)},
        {kDampingKey, outsideRange(settings.linkDamping, kDampingRange)},
        {kAirDragKey, outsideRange(settings.airDrag, kAirDragRange)},
        {kWallBounceKey, outsideRange(settings.wallBounceKeep, kBounceKeepRange)},
        {kContactBounceKey, outsideRange(settings.contactBounceKeep, kBounceKeepRange)},
        {kTimeScaleKey, outsideRange(settings.timeScale, kTimeScaleRange)},
    };
    for (const auto& [key, problem] : checks) {
        if (problem)
            return named(key, problem);
    }
    return std::nullopt;
}

}  // namespace velmora
