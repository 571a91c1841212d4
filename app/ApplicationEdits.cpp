// The edits made by hand in a pass: the mouse tools, and the panel's physics section.
#include <string>
#include <utility>

#include "app/Application.h"
#include "physics/SceneLimits.h"

namespace velmora {
namespace {

/// What a right click did that the user is told, or nothing to say.
const char* rightClickMessage(RightClick result) {
    switch (result) {
        case RightClick::IgnoredWhileRunning:
            return "right click works while paused (Tab)";
        case RightClick::SelectedFirst:
            return "select a second particle to link";
        case RightClick::Linked:
            return "linked";
        case RightClick::Unlinked:
            return "unlinked";
        case RightClick::Pinned:
            return "pinned";
        case RightClick::Unpinned:
            return "unpinned";
        case RightClick::None:
            break;
    }
    return nullptr;
}

}  // namespace

void Application::runEditingTools(float dt) {
    EditingInput in;
    in.middlePressed = input->pressed[VK_MBUTTON];
    in.rightPressed = input->pressed[VK_RBUTTON];
    in.leftPressed = input->pressed[VK_LBUTTON];
    in.leftReleased = input->released[VK_LBUTTON];
    in.leftHeld = input->down[VK_LBUTTON];
    in.shiftHeld = input->down[VK_SHIFT];
    in.cursorDx = input->cursor.x - input->previousCursor.x;
    in.cursorDy = input->cursor.y - input->previousCursor.y;
    in.running = running;
    in.dt = dt;
    in.linkStiffness = physics.linkStiffness;
    in.linkDamping = physics.linkDamping;
    // A press on a part of the overlay is the overlay's; a drag begun in the scene goes on.
    if (overlay.wantsMouse()) {
        in.middlePressed = in.rightPressed = in.leftPressed = false;
    }
    PickRayFromCursor source(os);
    const std::size_t before = particles.size();
    const RightClick right =
        velmora::runEditingTools(in, source, scene.mainCamera, particles, editing);
    if (particles.size() != before) {
        noteEdit(particles.size() > before ? "spawn" : "delete");
    }
    constexpr const char* kRightClickEdits[] = {nullptr,  nullptr, nullptr, "link",
                                                "unlink", "pin",   "unpin"};
    if (const char* name = kRightClickEdits[static_cast<int>(right)]) {
        noteEdit(name);
    }
    if (const char* message = rightClickMessage(right)) {
        overlay.showMessage(message);
    }
    if (std::exchange(editing.roomFull, false)) {
        overlay.showMessage("the room is full: " + std::to_string(kMaxSceneParticles) +
                            " particles");
    }
}

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
