#include "app/Scene.h"

#include <cstring>

#include "app/Window.h"
#include "math/Matrix4.h"
#include "physics/Particle.h"
#include "render/D3DRenderer.h"
#include "render/GeometryBuffer.h"
#include "render/TextureManager.h"

namespace velmora {
namespace {

void aimSkyCamera(Scene& scene) {
    const Vec3 direction = scene.mainCamera.getTarget() - scene.mainCamera.getEye();
    const Vec3 target = scene.skyCamera.getEye() + direction;
    scene.skyCamera.setTarget(target.x, target.y, target.z);
}

void makeLinkLine(Mesh& mesh) {
    // Two points the frame drawing rewrites for every link it draws.
    const Vec3 positions[2] = {{0, 0, 0}, {0, 128, 0}};
    const std::uint32_t colors[2] = {kWhite, kWhite};
    const float texCoords[4] = {0, 0, 0, 0};
    const std::uint32_t indices[2] = {0, 1};
    mesh.createFromArrays(positions, colors, texCoords, nullptr, nullptr, nullptr, indices, 2, 2,
                          nullptr, nullptr, nullptr);
    mesh.primitiveMode = PrimitiveMode::Lines;
}

void drawLink(Mesh& linkLine, const Vec3& from, const Vec3& to) {
    VertexBuffer* buffer = linkLine.geometry ? linkLine.geometry->positionBuffer() : nullptr;
    if (buffer == nullptr) {
        return;  // a line whose creation failed draws nothing
    }
    void* data = nullptr;
    if (buffer->lock(0, 0, &data, 0) != D3D_OK || data == nullptr) {
        return;
    }
    const float points[6] = {from.x, from.y, from.z, to.x, to.y, to.z};
    std::memcpy(data, points, sizeof points);
    buffer->unlock();
    linkLine.draw();
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

    makeLinkLine(scene.linkLine);
    scene.linkLine.loadTexture("bin/def.bmp", false, 0);

    scene.particleSphere.createSphere(1.0f, 8, 8, kWhite);

    scene.orangeTexture = gTextureManager->load("bin/orange.bmp", true);
    scene.noiseTexture = gTextureManager->load("bin/noise.bmp", true);

    buildScene(start, particles);

    scene.skyBox.createBox(3.0f, 3.0f, 3.0f, kWhite);
    scene.skyBox.applyTransform(translation(scene.skyCamera.getEye()));
    scene.skyBox.loadTexture("bin/grid.bmp", false, 0);
}

void drawFrame(Scene& scene, const ParticleList& particles, std::size_t count,
               Effect* loadedEffect) {
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

    for (std::size_t i = 0; i < count && i < particles.size(); ++i) {
        const Particle& particle = *particles[i];
        scene.particleSphere.transform = translation(particle.current.position);
        scene.particleSphere.setTexture(particle.pinned ? scene.noiseTexture : scene.orangeTexture,
                                        0);
        scene.particleSphere.draw();
        // Each link is held by both its particles, so every link is drawn twice.
        for (const ParticleLink& link : particle.links) {
            drawLink(scene.linkLine, particle.current.position, link.other->current.position);
        }
    }

    gRenderer->endSceneAndPresent();
}

}  // namespace velmora
