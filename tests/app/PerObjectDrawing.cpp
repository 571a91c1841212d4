#include "tests/app/PerObjectDrawing.h"

#include <cstring>

#include "math/Matrix4.h"
#include "physics/Particle.h"
#include "render/D3DRenderer.h"
#include "render/GeometryBuffer.h"

namespace velmora {
namespace {

void drawLink(Mesh& linkLine, const Vec3& from, const Vec3& to) {
    VertexBuffer* buffer = linkLine.geometry ? linkLine.geometry->positionBuffer() : nullptr;
    void* data = nullptr;
    if (buffer == nullptr || buffer->lock(0, 0, &data, 0) != D3D_OK || data == nullptr)
        return;
    const float points[6] = {from.x, from.y, from.z, to.x, to.y, to.z};
    std::memcpy(data, points, sizeof points);
    buffer->unlock();
    linkLine.draw();
}

void paint(Mesh& mesh, std::uint32_t colour) {
    VertexBuffer* buffer = mesh.geometry->colorBuffer();
    void* data = nullptr;
    if (buffer == nullptr || buffer->lock(0, 0, &data, 0) != D3D_OK)
        return;
    for (std::uint32_t v = 0; v < mesh.geometry->vertexCount; ++v)
        std::memcpy(static_cast<std::uint8_t*>(data) + 4 * v, &colour, 4);
    buffer->unlock();
}

}  // namespace

void PerObjectDrawing::setUp() {
    particleSphere.createSphere(1.0f, 8, 8, kWhite);
    const Vec3 positions[2] = {{0, 0, 0}, {0, 128, 0}};
    const std::uint32_t colors[2] = {kWhite, kWhite};
    const float texCoords[4] = {0, 0, 0, 0};
    const std::uint32_t indices[2] = {0, 1};
    linkLine.createFromArrays(positions, colors, texCoords, nullptr, nullptr, nullptr, indices, 2,
                              2, nullptr, nullptr, nullptr);
    linkLine.primitiveMode = PrimitiveMode::Lines;
    linkLine.loadTexture("bin/def.bmp", false, 0);
}

void PerObjectDrawing::drawFrame(Scene& scene, const ParticleList& particles, std::size_t count,
                                 Effect* loadedEffect) {
    drawSkyAndRoom(scene, loadedEffect);
    for (std::size_t i = 0; i < count && i < particles.size(); ++i) {
        const Particle& particle = *particles[i];
        particleSphere.transform = translation(particle.current.position);
        particleSphere.setTexture(particle.pinned ? scene.noiseTexture : scene.orangeTexture, 0);
        if (i < sphereColours.size())
            paint(particleSphere, sphereColours[i]);
        particleSphere.draw();
        for (const ParticleLink& link : particle.links)
            drawLink(linkLine, particle.current.position, link.other->current.position);
    }
    if (!sphereColours.empty())
        paint(particleSphere, kWhite);
    gRenderer->endSceneAndPresent();
}

}  // namespace velmora
