#pragma once
#include <cstdint>
#include <memory>

#include "math/Matrix4.h"
#include "math/Vec3.h"
#include "platform/GpuDevice.h"
#include "platform/OperatingSystem.h"
#include "render/PrimitiveMode.h"

namespace velmora {

class GeometryBuffer;
class Texture;

/// Texture stages 0..7; the effect's texture parameters are "tex0".."tex7".
inline constexpr std::uint32_t kMaxTextureStages = 8;

/// The program's one renderer (reach it through gRenderer). Owns the Direct3D object and the
/// device, keeps world, view and projection (row-vector convention), and draws geometry
/// through the technique "MyEffect" of the current effect.
///
/// Order of use: usePlatform, init, loadEffect, setProjection, setView, geometry creation, per
/// frame beginScene, clear, setEffect, draws, endSceneAndPresent; shutdown. Every operation
/// is safe before init and after shutdown (it then only updates the renderer's own fields),
/// and drawGeometry and setTexture are safe before any effect is set.
class D3DRenderer {
  public:
    /// Where Win32 calls (GetClientRect, MessageBoxA) and Direct3DCreate9 go. Call before init.
    void usePlatform(OperatingSystem& os, Direct3DCreateFn createDirect3D);

    /// Makes the Direct3D object and the device for the window; false when either fails
    /// (a Direct3D object made before a failing device stays). Shows no message.
    bool init(WindowHandle window, bool fullscreen, bool vsync);
    /// Resizes the back buffer for the new mode and re-applies the default states, the fill
    /// mode `wireframe` gives included. Always true.
    bool reset(WindowHandle window, bool fullscreen, bool vsync);
    /// Releases the device, then the Direct3D object. The effect is not released.
    void shutdown();

    /// Loads an effect file into `out` (the caller owns it). A failure with compiler text
    /// shows it under "FX File Load Error"; one without text shows nothing.
    bool loadEffect(const char* fileName, std::unique_ptr<Effect>& out);
    void setEffect(Effect* newEffect);

    /// Right-handed perspective; fovDegrees vertical, converted with 0.017453.
    void setProjection(float fovDegrees, float zNear, float zFar, float aspect);
    /// Right-handed look-at with up (0, 1, 0); eye must differ from target.
    void setView(const Vec3& eye, const Vec3& target);
    void setWorld(const Matrix4& m);

    void beginScene();
    /// Clears colour (0xAARRGGBB) and depth (0..1).
    void clear(std::uint32_t color, float depth);
    void clearDepth(float depth);
    void endSceneAndPresent();

    void toggleWireframe();
    void setBlending(bool enabled);
    /// Binds the texture (null unbinds) to the stage and to the effect's "tex<stage>".
    void setTexture(std::uint32_t stage, Texture* texture);
    /// Draws the geometry with every pass of "MyEffect"; null geometry does nothing at all.
    /// Blending is switched off after every draw.
    void drawGeometry(GeometryBuffer* geometry, PrimitiveMode mode);
    /// As drawGeometry, for indices firstIndex .. firstIndex + indexCount - 1 only (the part
    /// of a batch that shares one texture); a range reaching past the indices is cut there.
    void drawGeometryPart(GeometryBuffer* geometry, PrimitiveMode mode, std::uint32_t firstIndex,
                          std::uint32_t indexCount);

    void applyDefaultStates();
    D3DPRESENT_PARAMETERS fillPresentParameters(WindowHandle window, bool fullscreen, bool vsync);

    Effect* effect = nullptr;  ///< not owned; chosen by setEffect
    Matrix4 worldViewProjection;
    bool wireframe = false;
    Matrix4 projection;
    Matrix4 view;
    Matrix4 world;
    std::unique_ptr<Device> device;
    std::unique_ptr<Direct3D> direct3d;

    OperatingSystem* os = nullptr;              ///< set by usePlatform
    Direct3DCreateFn createDirect3D = nullptr;  ///< set by usePlatform
};

/// The one renderer, constructed before the entry point runs.
extern D3DRenderer* const gRenderer;

/// Puts *gRenderer back to its constructed state (device and Direct3D released first, in
/// that order; platform forgotten). For tests, which share the one instance.
void resetRendererToConstructedState();

}  // namespace velmora
