// The panel's physics section, carried out.
#include "app/Application.h"

namespace velmora {

bool Application::changePhysics(const OverlayActions& asked) {
    PhysicsSettings wanted = physics;
    if (asked.physics)
        wanted = *asked.physics;
    if (asked.scenePhysics)
        wanted = startingScene.physics();
    if (wanted == physics)
        return false;
    // The links' spring and damper are settings for every link, those there are and those
    // still to be made; a link's own values from its scene file give way to them.
    if (wanted.linkStiffness != physics.linkStiffness ||
        wanted.linkDamping != physics.linkDamping) {
        for (const auto& p : particles) {
            for (ParticleLink& l : p->links) {
                l.stiffness = wanted.linkStiffness;
                l.damping = wanted.linkDamping;
            }
        }
    }
    physics = wanted;
    return true;
}

}  // namespace velmora
