#include "platform/HeadlessDevice.h"

#include <algorithm>
#include <cstring>

namespace velmora {
namespace {

/// Whether `word` appears in source as a whole identifier.
bool mentions(const std::string& source, const std::string& word) {
    auto isIdentifierChar = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    };
    for (std::size_t at = source.find(word); at != std::string::npos;
         at = source.find(word, at + 1)) {
        const bool startOk = at == 0 || !isIdentifierChar(source[at - 1]);
        const std::size_t end = at + word.size();
        const bool endOk = end == source.size() || !isIdentifierChar(source[end]);
        if (startOk && endOk)
            return true;
    }
    return false;
}

}  // namespace

void HeadlessFaults::failOn(HeadlessCall call, std::uint32_t nth) {
    countdown_[static_cast<std::size_t>(call)] = nth;
}

bool HeadlessFaults::fails(HeadlessCall call) {
    std::uint32_t& left = countdown_[static_cast<std::size_t>(call)];
    if (left == 0)
        return false;
    return --left == 0;
}

// Buffers and textures.

template <class Interface>
HRESULT HeadlessBuffer<Interface>::lock(std::uint32_t offset, std::uint32_t size, void** data,
                                        std::uint32_t /*flags*/) {
    if (faults_->fails(HeadlessCall::Lock))
        return E_FAIL;
    return store.lock(offset, size, data);
}

template <class Interface>
HRESULT HeadlessBuffer<Interface>::unlock() {
    if (faults_->fails(HeadlessCall::Unlock))
        return E_FAIL;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    return store.unlock(offset, size);
}

template <class Interface>
HeadlessBuffer<Interface>::~HeadlessBuffer() {
    if (*device_ != nullptr)
        (*device_)->state.unbind(this);
}

template class HeadlessBuffer<VertexBuffer>;
template class HeadlessBuffer<IndexBuffer>;

HeadlessVertexDeclaration::~HeadlessVertexDeclaration() {
    if (*device_ != nullptr)
        (*device_)->state.unbind(this);
}

HeadlessTexture::~HeadlessTexture() {
    if (*device_ != nullptr)
        (*device_)->state.unbind(this);
}

// Effect.

HeadlessEffect::HeadlessEffect(EffectFileSource source, std::shared_ptr<HeadlessDevice*> device)
    : EffectWithCore(std::move(source)), device_(std::move(device)) {}

HeadlessEffect::~HeadlessEffect() {
    HeadlessDevice* device = *device_;
    if (device != nullptr && device->passEffect == this)
        device->passEffect = nullptr;
}

HRESULT HeadlessEffect::begin(std::uint32_t* passCount, std::uint32_t /*flags*/) {
    return core.begin(passCount);
}

HRESULT HeadlessEffect::beginPass(std::uint32_t pass) {
    const HRESULT hr = core.beginPass(pass);
    HeadlessDevice* device = *device_;
    if (hr != D3D_OK || device == nullptr)
        return hr;
    const EffectPassSource& p = core.pass(pass);
    for (std::uint32_t stage = 0; stage < kDeviceTextureStages; ++stage) {
        const std::string name = "tex" + std::to_string(stage);
        if (mentions(p.vertexSource, name) || mentions(p.fragmentSource, name)) {
            device->setTexture(stage, core.textures[stage]);
        }
    }
    device->passEffect = this;
    device->passWvp = core.wvp;
    return D3D_OK;
}

HRESULT HeadlessEffect::endPass() {
    HeadlessDevice* device = *device_;
    if (device != nullptr && device->passEffect == this)
        device->passEffect = nullptr;
    return core.endPass();
}

HRESULT HeadlessEffect::end() {
    HeadlessDevice* device = *device_;
    if (device != nullptr && device->passEffect == this)
        device->passEffect = nullptr;
    return core.end();
}

// Device.

HeadlessDevice::HeadlessDevice(std::shared_ptr<HeadlessFaults> faults, OperatingSystem& os,
                               const D3DPRESENT_PARAMETERS& parameters)
    : presentParameters(parameters),
      faults_(std::move(faults)),
      os_(os),
      self_(std::make_shared<HeadlessDevice*>(this)) {
    fillBackBufferSize(presentParameters);
    state.restoreDefaults(presentParameters.EnableAutoDepthStencil, backBufferRect());
}

HeadlessDevice::~HeadlessDevice() {
    *self_ = nullptr;
}

void HeadlessDevice::fillBackBufferSize(D3DPRESENT_PARAMETERS& parameters) {
    if (parameters.BackBufferWidth != 0 && parameters.BackBufferHeight != 0)
        return;
    const Rect client = os_.getClientRect(parameters.hDeviceWindow);
    if (parameters.BackBufferWidth == 0) {
        parameters.BackBufferWidth = static_cast<std::uint32_t>(std::max(client.width(), 1));
    }
    if (parameters.BackBufferHeight == 0) {
        parameters.BackBufferHeight = static_cast<std::uint32_t>(std::max(client.height(), 1));
    }
}

HRESULT HeadlessDevice::createVertexBuffer(std::uint32_t length, std::uint32_t /*usage*/,
                                           std::uint32_t /*fvf*/, D3DPOOL /*pool*/,
                                           std::unique_ptr<VertexBuffer>& out) {
    if (faults_->fails(HeadlessCall::CreateVertexBuffer))
        return E_FAIL;
    if (length == 0 || length > kMaxDeviceBufferBytes)
        return D3DERR_INVALIDCALL;
    out = std::make_unique<HeadlessVertexBuffer>(length, faults_, self_);
    return D3D_OK;
}

HRESULT HeadlessDevice::createIndexBuffer(std::uint32_t length, std::uint32_t /*usage*/,
                                          D3DFORMAT format, D3DPOOL /*pool*/,
                                          std::unique_ptr<IndexBuffer>& out) {
    if (faults_->fails(HeadlessCall::CreateIndexBuffer))
        return E_FAIL;
    if (length == 0 || length > kMaxDeviceBufferBytes || format != D3DFMT_INDEX32) {
        return D3DERR_INVALIDCALL;
    }
    out = std::make_unique<HeadlessIndexBuffer>(length, faults_, self_);
    return D3D_OK;
}

HRESULT HeadlessDevice::createVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                std::unique_ptr<VertexDeclaration>& out) {
    if (faults_->fails(HeadlessCall::CreateVertexDeclaration))
        return E_FAIL;
    auto declaration = std::make_unique<HeadlessVertexDeclaration>(self_);
    const HRESULT hr = copyDeclaration(elements, declaration->elements);
    if (hr != D3D_OK)
        return hr;
    out = std::move(declaration);
    return D3D_OK;
}

HRESULT HeadlessDevice::createTexture(std::uint32_t width, std::uint32_t height,
                                      std::uint32_t levels, std::uint32_t /*usage*/,
                                      D3DFORMAT format, D3DPOOL /*pool*/,
                                      std::unique_ptr<DeviceTexture>& out) {
    if (faults_->fails(HeadlessCall::CreateTexture))
        return E_FAIL;
    auto texture = std::make_unique<HeadlessTexture>(self_);
    const HRESULT hr = texture->store.create(width, height, levels, format);
    if (hr != D3D_OK)
        return hr;
    out = std::move(texture);
    return D3D_OK;
}

HRESULT HeadlessDevice::createEffectFromFile(const char* fileName, std::unique_ptr<Effect>& out,
                                             std::string& errors) {
    errors.clear();
    EffectFileSource source;
    if (!loadEffectFile(fileName, source, errors))
        return E_FAIL;
    out = std::make_unique<HeadlessEffect>(std::move(source), self_);
    return D3D_OK;
}

HRESULT HeadlessDevice::setVertexDeclaration(VertexDeclaration* declaration) {
    state.declaration = declaration;
    return D3D_OK;
}

HRESULT HeadlessDevice::setStreamSource(std::uint32_t stream, VertexBuffer* buffer,
                                        std::uint32_t offset, std::uint32_t stride) {
    if (stream >= kDeviceStreams)
        return D3DERR_INVALIDCALL;
    state.streams[stream] = {buffer, offset, stride};
    return D3D_OK;
}

HRESULT HeadlessDevice::setIndices(IndexBuffer* indices) {
    state.indices = indices;
    return D3D_OK;
}

HRESULT HeadlessDevice::setRenderState(D3DRENDERSTATETYPE type, std::uint32_t value) {
    state.renderStates[type] = value;
    return D3D_OK;
}

HRESULT HeadlessDevice::setSamplerState(std::uint32_t sampler, D3DSAMPLERSTATETYPE type,
                                        std::uint32_t value) {
    return state.setSamplerState(sampler, type, value);
}

HRESULT HeadlessDevice::setTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                             std::uint32_t value) {
    return state.setTextureStageState(stage, type, value);
}

HRESULT HeadlessDevice::setTexture(std::uint32_t stage, DeviceTexture* texture) {
    if (stage >= kDeviceTextureStages)
        return D3DERR_INVALIDCALL;
    state.textures[stage] = texture;
    return D3D_OK;
}

HRESULT HeadlessDevice::setTransform(D3DTRANSFORMSTATETYPE type, const Matrix4& matrix) {
    return state.setTransform(type, matrix);
}

HRESULT HeadlessDevice::setScissorRect(const Rect& rect) {
    return state.setScissorRect(rect);
}

Rect HeadlessDevice::backBufferRect() const {
    return {0, 0, static_cast<std::int32_t>(presentParameters.BackBufferWidth),
            static_cast<std::int32_t>(presentParameters.BackBufferHeight)};
}

HRESULT HeadlessDevice::clear(std::uint32_t, std::uint32_t, float, std::uint32_t) {
    return D3D_OK;
}

HRESULT HeadlessDevice::beginScene() {
    if (inScene)
        return D3DERR_INVALIDCALL;
    inScene = true;
    return D3D_OK;
}

HRESULT HeadlessDevice::endScene() {
    if (!inScene)
        return D3DERR_INVALIDCALL;
    inScene = false;
    return D3D_OK;
}

HRESULT HeadlessDevice::present() {
    return D3D_OK;
}

HRESULT HeadlessDevice::reset(D3DPRESENT_PARAMETERS& parameters) {
    fillBackBufferSize(parameters);
    presentParameters = parameters;
    state.restoreDefaults(parameters.EnableAutoDepthStencil, backBufferRect());
    inScene = false;
    ++resetCount;
    return D3D_OK;
}

HRESULT HeadlessDevice::drawIndexedPrimitive(D3DPRIMITIVETYPE type, std::int32_t baseVertexIndex,
                                             std::uint32_t minVertexIndex,
                                             std::uint32_t numVertices, std::uint32_t startIndex,
                                             std::uint32_t primitiveCount) {
    RecordedDraw draw;
    draw.type = type;
    draw.baseVertexIndex = baseVertexIndex;
    draw.minVertexIndex = minVertexIndex;
    draw.numVertices = numVertices;
    draw.startIndex = startIndex;
    draw.primitiveCount = primitiveCount;
    for (std::uint32_t s = 0; s < kDeviceStreams; ++s) {
        if (state.streams[s].buffer != nullptr)
            draw.streamMask |= 1u << s;
    }
    draw.declaration = state.declaration;
    draw.indices = state.indices;
    draw.effect = passEffect;
    if (passEffect != nullptr)
        draw.wvp = passWvp;
    draw.textures = state.textures;
    draw.fillMode = state.renderState(D3DRS_FILLMODE);
    draw.blending = state.renderState(D3DRS_ALPHABLENDENABLE) != 0;
    draw.sourceBlend = state.renderState(D3DRS_SRCBLEND);
    draw.destBlend = state.renderState(D3DRS_DESTBLEND);
    draw.depthTest = state.renderState(D3DRS_ZENABLE) != D3DZB_FALSE;
    draw.cullMode = state.renderState(D3DRS_CULLMODE);
    draw.scissorTest = state.renderState(D3DRS_SCISSORTESTENABLE) != 0;
    draw.scissorRect = state.scissorRect;

    auto* declaration = dynamic_cast<HeadlessVertexDeclaration*>(state.declaration);
    auto* indices = dynamic_cast<HeadlessIndexBuffer*>(state.indices);
    draw.result = D3DERR_INVALIDCALL;
    if (declaration != nullptr && indices != nullptr) {
        // A fixed array: a draw allocates nothing (only the log, when it is kept, grows).
        std::array<StreamRead, kMaxDeclarationElements> reads;
        const std::size_t elementCount =
            std::min(declaration->elements.size(), kMaxDeclarationElements);
        bool foreign = false;
        for (std::size_t i = 0; i < elementCount; ++i) {
            const auto& element = declaration->elements[i];
            const StreamSource& source = state.streams[element.stream];
            auto* buffer = dynamic_cast<HeadlessVertexBuffer*>(source.buffer);
            foreign = foreign || (source.buffer != nullptr && buffer == nullptr);
            reads[i] = {&element, &source, buffer != nullptr ? &buffer->store : nullptr};
        }
        if (!foreign) {
            draw.result = checkDrawReads(std::span(reads.data(), elementCount), indices->store,
                                         type, baseVertexIndex, startIndex, primitiveCount);
        }
    }
    if (keepLog) {
        draws.push_back(draw);
    }
    return draw.result;
}

HRESULT HeadlessDevice::getFrontBufferData(std::vector<std::uint32_t>& /*pixels*/,
                                           std::uint32_t& /*width*/, std::uint32_t& /*height*/) {
    return D3DERR_NOTAVAILABLE;
}

// Direct3D.

HeadlessDirect3D::HeadlessDirect3D(OperatingSystem& os)
    : os_(os), faults_(std::make_shared<HeadlessFaults>()) {}

HRESULT HeadlessDirect3D::getAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) {
    return adapterDisplayMode(os_, adapter, mode);
}

HRESULT HeadlessDirect3D::createDevice(std::uint32_t adapter, WindowHandle focusWindow,
                                       std::uint32_t /*behaviorFlags*/,
                                       D3DPRESENT_PARAMETERS& parameters,
                                       std::unique_ptr<Device>& out) {
    if (adapter != D3DADAPTER_DEFAULT)
        return D3DERR_INVALIDCALL;
    if (parameters.hDeviceWindow == nullptr)
        parameters.hDeviceWindow = focusWindow;
    if (parameters.hDeviceWindow == nullptr)
        return D3DERR_INVALIDCALL;
    auto device = std::make_unique<HeadlessDevice>(faults_, os_, parameters);
    parameters = device->presentParameters;
    out = std::move(device);
    return D3D_OK;
}

std::unique_ptr<Direct3D> headlessDirect3DCreate(OperatingSystem& os) {
    return std::make_unique<HeadlessDirect3D>(os);
}

}  // namespace velmora
