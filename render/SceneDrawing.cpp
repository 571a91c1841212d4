#include "render/SceneDrawing.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <tuple>

#include "math/Matrix4.h"
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
void orderSpheres(Scene& scene) {
    const Vec3 eye = scene.mainCamera.getEye();
    const Vec3 forward = scene.mainCamera.forward();
    scene.sphereOrder.clear();
    for (std::size_t i = 0; i < scene.shown.spheres.size(); ++i) {
        const ParticlesShown::Sphere& sphere = scene.shown.spheres[i];
        float depth = dot(sphere.centre - eye, forward);
        if (std::isnan(depth))  // a particle flung to infinity; the sort needs an order
            depth = std::numeric_limits<float>::infinity();
        scene.sphereOrder.push_back({sphere.pinned, depth, static_cast<std::uint32_t>(i)});
    }
    std::sort(scene.sphereOrder.begin(), scene.sphereOrder.end(),
              [](const SphereDrawn& a, const SphereDrawn& b) {
                  return std::tie(a.pinned, a.depth, a.particle) <
                         std::tie(b.pinned, b.depth, b.particle);
              });
}

void drawSpheres(Scene& scene) {
    BatchMesh& spheres = scene.particleSpheres;
    orderSpheres(scene);
    const std::uint32_t open = spheres.begin(static_cast<std::uint32_t>(scene.sphereOrder.size()));
    std::uint32_t copy = 0;
    std::uint32_t freeCount = 0;
    for (; copy < open; ++copy) {
        const SphereDrawn& sphere = scene.sphereOrder[copy];
        freeCount += sphere.pinned ? 0 : 1;
        spheres.setCopyAt(copy, scene.shown.spheres[sphere.particle].centre);
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

void drawLinks(Scene& scene) {
    const std::vector<Vec3>& ends = scene.shown.linkEnds;
    BatchMesh& lines = scene.linkLines;
    const std::uint32_t open = lines.begin(static_cast<std::uint32_t>(ends.size() / 2));
    for (std::uint32_t line = 0; line < open; ++line) {
        lines.setVertex(2 * line, ends[2 * line]);
        lines.setVertex(2 * line + 1, ends[2 * line + 1]);
    }
    lines.end();
    const std::vector<std::uint32_t>& colours = scene.shown.linkColours;
    if (!colours.empty()) {
        scene.linkColoursWritten = lines.writeColours(colours) || scene.linkColoursWritten;
    } else if (scene.linkColoursWritten) {
        // Back to white once, when the strain colours are turned off.
        scene.linkColoursWritten = !lines.writeColours(std::vector<std::uint32_t>(
            std::size_t{lines.capacity()} * lines.modelVertexCount(), kWhite));
    }
    lines.draw(0, open);
}

void makeSelectionRings(BatchMesh& batch) {
    // Like the link lines: each copy is one segment whose two points every frame writes.
    batch.setModel({{0, 0, 0}, {0, 0, 0}}, {0, 0, 0, 0}, {0, 1}, kSelectionRingColour, Lines);
}

/// Rings of kSelectionRingSegments segments per circle in the camera's screen plane, around
/// each held particle.
void drawSelectionRings(Scene& scene) {
    const std::vector<Vec3>& held = scene.shown.held;
    if (held.empty())
        return;  // the frame stays the plain scene: not even an empty draw
    BatchMesh& rings = scene.selectionRings;
    const std::uint32_t open =
        rings.begin(static_cast<std::uint32_t>(held.size()) * kSegmentsPerRing);
    const Vec3 right = scene.mainCamera.right();
    const Vec3 up = unitVector(right.cross(scene.mainCamera.forward()));
    std::uint32_t segment = 0;
    for (const Vec3& centre : held) {
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

void placeMainCamera(Scene& scene, const Vec3& eye, const Vec3& target) {
    scene.mainCamera = Camera(CameraMode::FreeLook);
    scene.mainCamera.setEye(eye.x, eye.y, eye.z);
    scene.mainCamera.setTarget(target.x, target.y, target.z);
    scene.mainCamera.fieldOfView = kFieldOfView;
}

void setUpSceneDrawing(Scene& scene, const Vec3& eye, const Vec3& target, float aspectRatio) {
    placeMainCamera(scene, eye, target);

    scene.skyCamera = Camera(CameraMode::FreeLook);
    scene.skyCamera.setEye(0, 16, 0);
    aimSkyCamera(scene);

    gRenderer->setProjection(kFieldOfView, kNearPlane, kFarPlane, aspectRatio);
    gRenderer->setView(scene.mainCamera.getEye(), scene.mainCamera.getTarget());

    scene.roomPlane.createQuad(20.0f, 20.0f, QuadOrientation::PlaneXZ, kWhite);
    scene.roomPlane.loadTexture((scene.pictureFolder + "woodgrain.bmp").c_str(), true, 0);

    makeLinkLines(scene.linkLines);
    scene.linkLines.mesh.loadTexture((scene.pictureFolder + "def.bmp").c_str(), false, 0);

    makeParticleSpheres(scene.particleSpheres);
    makeSelectionRings(scene.selectionRings);
    scene.selectionRings.mesh.loadTexture((scene.pictureFolder + "def.bmp").c_str(), false, 0);
    scene.selectionRings.reserve(2 * kSegmentsPerRing);

    scene.orangeTexture = gTextureManager->load((scene.pictureFolder + "orange.bmp").c_str(), true);
    scene.noiseTexture = gTextureManager->load((scene.pictureFolder + "noise.bmp").c_str(), true);

    scene.skyBox.createBox(3.0f, 3.0f, 3.0f, kWhite);
    scene.skyBox.applyTransform(translation(scene.skyCamera.getEye()));
    scene.skyBox.loadTexture((scene.pictureFolder + "grid.bmp").c_str(), false, 0);
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

void reserveShown(Scene& scene, std::size_t particles, std::size_t links) {
    scene.particleSpheres.reserve(static_cast<std::uint32_t>(particles));
    scene.sphereOrder.reserve(particles);
    scene.linkLines.reserve(static_cast<std::uint32_t>(links));
    scene.shown.spheres.reserve(particles);
    scene.shown.linkEnds.reserve(2 * links);
    scene.shown.linkColours.reserve(2 * links);
    scene.shown.held.reserve(2);
}

void drawShownScene(Scene& scene, Effect* loadedEffect) {
    drawSkyAndRoom(scene, loadedEffect);
    // Spheres and lines are opaque and depth-tested with LEQUAL, so drawing all spheres and
    // then each link once gives the picture of drawing each sphere with its link records.
    drawSpheres(scene);
    drawLinks(scene);
    drawSelectionRings(scene);
}

}  // namespace velmora
