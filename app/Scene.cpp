#include "app/Scene.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <tuple>

#include "app/Window.h"
#include "math/Matrix4.h"
#include "physics/Particle.h"
#include "render/D3DRenderer.h"
#include "render/SphereArrays.h"
#include "render/TextureManager.h"

namespace velmora {
namespace {

constexpr auto kSegmentsPerRing =
    static_cast<std::uint32_t>(kSelectionRingSegments * std::size(kSelectionRingRadii));

void aimSkyCamera(Scene& scene) {
    const Vec3 direction = scene.mainCamera.getTarget() - scene.mainCamera.getEye();
    const Vec3 target = scene.skyCamera.getEye() + direction;
    scene.skyCamera.setTarget(target.x, target.y, target.z);
}

void makeParticleSpheres(BatchMesh& batch) {
    SphereArrays sphere = sphereShape(8, 8);
    fillSphereArrays(sphere, 1.0f);
    batch.setModel(std::move(sphere.positions), std::move(sphere.texCoords),
                   std::move(sphere.indices), kWhite, Triangles);
}

void makeLinkLines(BatchMesh& batch) {
    // A copy is one line; both its points are written for every frame.
    batch.setModel({{0, 0, 0}, {0, 0, 0}}, {0, 0, 0, 0}, {0, 1}, kWhite, Lines);
}

/// Orders the spheres to draw: free particles first, then pinned ones (one draw per texture),
/// each group nearest the camera first. Hidden fragments then fail the depth test before they
/// are shaded, which on a software rasterizer is most of a crowd's cost (a 1000-particle
/// lattice drawn in list order takes a third more processor time). The depth test makes the picture
/// the same in any order; ties go to list order so a frame never depends on the sort.
void orderSpheres(Scene& scene, const ParticleList& particles, std::size_t count) {
    const Vec3 eye = scene.mainCamera.getEye();
    const Vec3 forward = scene.mainCamera.forward();
    scene.sphereOrder.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const Particle& particle = *particles[i];
        float depth = dot(particle.current.position - eye, forward);
        if (std::isnan(depth))  // a particle flung to infinity; the sort needs an order
            depth = std::numeric_limits<float>::infinity();
        scene.sphereOrder.push_back({particle.pinned, depth, static_cast<std::uint32_t>(i)});
    }
    std::sort(scene.sphereOrder.begin(), scene.sphereOrder.end(),
              [](const SphereDrawn& a, const SphereDrawn& b) {
                  return std::tie(a.pinned, a.depth, a.particle) <
                         std::tie(b.pinned, b.depth, b.particle);
              });
}

void drawSpheres(Scene& scene, const ParticleList& particles, std::size_t count) {
    BatchMesh& spheres = scene.particleSpheres;
    orderSpheres(scene, particles, count);
    const std::uint32_t open = spheres.begin(static_cast<std::uint32_t>(count));
    std::uint32_t copy = 0;
    std::uint32_t freeCount = 0;
    for (; copy < open; ++copy) {
        const SphereDrawn& sphere = scene.sphereOrder[copy];
        freeCount += sphere.pinned ? 0 : 1;
        spheres.setCopyAt(copy, particles[sphere.particle]->current.position);
    }
    spheres.end();
    if (freeCount > 0) {
        spheres.mesh.setTexture(scene.orangeTexture, 0);
        spheres.draw(0, freeCount);
    }
    if (copy > freeCount) {
        spheres.mesh.setTexture(scene.noiseTexture, 0);
        spheres.draw(freeCount, copy - freeCount);
    }
}

/// Whether the link record of `from` to `to` is the one that draws the link. Each link has a
/// record in both its particles; of two drawn particles the one at the lower address draws
/// it, and a link to a particle past the drawn ones is drawn from the drawn end.
bool drawsLink(const Particle* from, const Particle* to, const ParticleList& particles,
               std::size_t count) {
    if (std::less<const Particle*>{}(from, to))
        return true;
    for (std::size_t i = count; i < particles.size(); ++i) {
        if (particles[i].get() == to)
            return true;
    }
    return false;
}

void drawLinks(Scene& scene, const ParticleList& particles, std::size_t count) {
    std::uint32_t links = 0;
    for (std::size_t i = 0; i < count; ++i) {
        for (const ParticleLink& link : particles[i]->links)
            links += drawsLink(particles[i].get(), link.other, particles, count) ? 1 : 0;
    }
    BatchMesh& lines = scene.linkLines;
    const std::uint32_t open = lines.begin(links);
    std::uint32_t line = 0;
    for (std::size_t i = 0; i < count && line < open; ++i) {
        const Particle& particle = *particles[i];
        for (const ParticleLink& link : particle.links) {
            if (line < open && drawsLink(&particle, link.other, particles, count)) {
                lines.setVertex(2 * line, particle.current.position);
                lines.setVertex(2 * line + 1, link.other->current.position);
                ++line;
            }
        }
    }
    lines.end();
    lines.draw(0, line);
}

void makeSelectionRings(BatchMesh& batch) {
    // Like the link lines: each copy is one segment whose two points every frame writes.
    batch.setModel({{0, 0, 0}, {0, 0, 0}}, {0, 0, 0, 0}, {0, 1}, kSelectionRingColour, Lines);
}

/// Rings of kSelectionRingSegments segments per circle in the camera's screen plane, around
/// each held particle.
void drawSelectionRings(Scene& scene, const SceneSelection& selection) {
    const Particle* held[2] = {selection.linkStart, selection.dragged};
    const std::uint32_t heldCount = (held[0] != nullptr ? 1u : 0u) + (held[1] != nullptr ? 1u : 0u);
    if (heldCount == 0)
        return;  // the frame stays the plain scene: not even an empty draw
    BatchMesh& rings = scene.selectionRings;
    const std::uint32_t open = rings.begin(heldCount * kSegmentsPerRing);
    const Vec3 right = scene.mainCamera.right();
    const Vec3 up = unitVector(right.cross(scene.mainCamera.forward()));
    std::uint32_t segment = 0;
    for (const Particle* particle : held) {
        if (particle == nullptr)
            continue;
        const Vec3 centre = particle->current.position;
        for (const float radius : kSelectionRingRadii) {
            for (std::uint32_t i = 0; i < kSelectionRingSegments && segment < open; ++i) {
                const auto point = [&](std::uint32_t k) {
                    const float angle = 2.0f * kPi * static_cast<float>(k) /
                                        static_cast<float>(kSelectionRingSegments);
                    return centre + (right * std::cos(angle) + up * std::sin(angle)) * radius;
                };
                rings.setVertex(2 * segment, point(i));
                rings.setVertex(2 * segment + 1, point(i + 1));
                ++segment;
            }
        }
    }
    rings.end();
    rings.draw(0, segment);
}

}  // namespace

void placeMainCamera(Scene& scene, const CameraPose& pose) {
    scene.mainCamera = Camera(CameraMode::FreeLook);
    scene.mainCamera.setEye(pose.eye.x, pose.eye.y, pose.eye.z);
    scene.mainCamera.setTarget(pose.target.x, pose.target.y, pose.target.z);
    scene.mainCamera.fieldOfView = kFieldOfView;
}

void setUpScene(Scene& scene, ParticleList& particles, const SceneDescription& start) {
    placeMainCamera(scene, start.camera.value_or(CameraPose{}));

    scene.skyCamera = Camera(CameraMode::FreeLook);
    scene.skyCamera.setEye(0, 16, 0);
    aimSkyCamera(scene);

    gRenderer->setProjection(kFieldOfView, kNearPlane, kFarPlane, aspectRatio);
    gRenderer->setView(scene.mainCamera.getEye(), scene.mainCamera.getTarget());

    scene.roomPlane.createQuad(20.0f, 20.0f, QuadOrientation::PlaneXZ, kWhite);
    scene.roomPlane.loadTexture("bin/woodgrain.bmp", true, 0);

    makeLinkLines(scene.linkLines);
    scene.linkLines.mesh.loadTexture("bin/def.bmp", false, 0);

    makeParticleSpheres(scene.particleSpheres);
    makeSelectionRings(scene.selectionRings);
    scene.selectionRings.mesh.loadTexture("bin/def.bmp", false, 0);
    scene.selectionRings.reserve(2 * kSegmentsPerRing);

    scene.orangeTexture = gTextureManager->load("bin/orange.bmp", true);
    scene.noiseTexture = gTextureManager->load("bin/noise.bmp", true);

    buildScene(start, particles);
    std::size_t linkRecords = 0;
    for (const auto& particle : particles)
        linkRecords += particle->links.size();
    scene.particleSpheres.reserve(static_cast<std::uint32_t>(particles.size()));
    scene.sphereOrder.reserve(particles.size());
    scene.linkLines.reserve(static_cast<std::uint32_t>(linkRecords / 2));

    scene.skyBox.createBox(3.0f, 3.0f, 3.0f, kWhite);
    scene.skyBox.applyTransform(translation(scene.skyCamera.getEye()));
    scene.skyBox.loadTexture("bin/grid.bmp", false, 0);
}

void drawSkyAndRoom(Scene& scene, Effect* loadedEffect) {
    gRenderer->beginScene();
    gRenderer->clear(kClearColor, 1.0f);
    gRenderer->setEffect(loadedEffect);

    // Sky first, seen from its own centre along the main view, then forgotten by depth.
    aimSkyCamera(scene);
    gRenderer->setView(scene.skyCamera.getEye(), scene.skyCamera.getTarget());
    scene.skyBox.draw();
    gRenderer->clearDepth(1.0f);

    gRenderer->setView(scene.mainCamera.getEye(), scene.mainCamera.getTarget());

    const float quarterTurn = kPi * 0.5f;
    const Matrix4 panels[5] = {
        translation({0, -10, 0}),                           // floor
        translation({0, 10, 0}),                            // ceiling
        rotationZ(quarterTurn) * translation({-10, 0, 0}),  // side walls
        rotationZ(quarterTurn) * translation({10, 0, 0}),   //
        rotationX(quarterTurn) * translation({0, 0, -10}),  // back wall
    };
    for (const Matrix4& panel : panels) {
        scene.roomPlane.transform = panel;
        scene.roomPlane.draw();
    }
}

void drawScene(Scene& scene, const ParticleList& particles, std::size_t count, Effect* loadedEffect,
               const SceneSelection& selection) {
    drawSkyAndRoom(scene, loadedEffect);
    // Spheres and lines are opaque and depth-tested with LEQUAL, so drawing all spheres and
    // then each link once gives the picture of drawing each sphere with its link records.
    count = std::min(count, particles.size());
    drawSpheres(scene, particles, count);
    drawLinks(scene, particles, count);
    drawSelectionRings(scene, selection);
}

void drawFrame(Scene& scene, const ParticleList& particles, std::size_t count, Effect* loadedEffect,
               const SceneSelection& selection) {
    drawScene(scene, particles, count, loadedEffect, selection);
    gRenderer->endSceneAndPresent();
}

}  // namespace velmora
