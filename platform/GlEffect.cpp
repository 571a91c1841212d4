#include "platform/GlEffect.h"

#include <algorithm>

#include "platform/GlCheck.h"
#include "platform/GlDevice.h"
#include "platform/GlDialect.h"

namespace velmora {
namespace {

/// Info logs are cut at this length so a runaway compiler cannot fill the message box.
constexpr GLint kMaxLogLength = 16 * 1024;

std::string shaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::clamp(length, 1, kMaxLogLength)), '\0');
    GLsizei written = 0;
    glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), &written, log.data());
    log.resize(static_cast<std::size_t>(written));
    return log;
}

std::string programLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::clamp(length, 1, kMaxLogLength)), '\0');
    GLsizei written = 0;
    glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), &written, log.data());
    log.resize(static_cast<std::size_t>(written));
    return log;
}

/// Compiles one stage; 0 with the log in errors on failure.
GLuint compileStage(GLenum kind, const std::string& written, std::string& errors) {
    const GLuint shader = glCreateShader(kind);
    const std::string source = gl::glslForContext(written, kind == GL_VERTEX_SHADER);
    const char* text = source.c_str();
    const GLint length = static_cast<GLint>(source.size());
    glShaderSource(shader, 1, &text, &length);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        errors = shaderLog(shader);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

GlEffect::GlEffect(GlDeviceLink device, EffectFileSource source)
    : EffectWithCore(std::move(source)), device_(std::move(device)) {
    (*device_)->addEffect(this);
}

GlEffect::~GlEffect() {
    GlDevice* device = *device_;
    if (device == nullptr)
        return;
    device->removeEffect(this);
    for (const auto& technique : programs) {
        for (const Program& program : technique) {
            if (device->currentProgram() == program.name)
                device->useProgram(0);
            glDeleteProgram(program.name);
        }
    }
}

std::unique_ptr<GlEffect> GlEffect::compile(GlDeviceLink device, const char* fileName,
                                            EffectFileSource source, std::string& errors) {
    std::unique_ptr<GlEffect> effect(new GlEffect(device, std::move(source)));
    for (const auto& technique : effect->core.source.techniques) {
        effect->programs.emplace_back();
        for (const auto& pass : technique.passes) {
            const std::string where = std::string(fileName) + ", technique \"" + technique.name +
                                      "\", pass \"" + pass.name + "\"";
            std::string log;
            const GLuint vertex = compileStage(GL_VERTEX_SHADER, pass.vertexSource, log);
            if (vertex == 0) {
                errors = where + ", vertex stage (file line " + std::to_string(pass.vertexLine) +
                         "):\n" + log;
                return nullptr;
            }
            const GLuint fragment = compileStage(GL_FRAGMENT_SHADER, pass.fragmentSource, log);
            if (fragment == 0) {
                glDeleteShader(vertex);
                errors = where + ", fragment stage (file line " +
                         std::to_string(pass.fragmentLine) + "):\n" + log;
                return nullptr;
            }
            Program program;
            program.name = glCreateProgram();
            glAttachShader(program.name, vertex);
            glAttachShader(program.name, fragment);
            for (GLuint location = 0; location < 9; ++location) {
                glBindAttribLocation(program.name, location, kSemanticNames[location]);
            }
            glLinkProgram(program.name);
            glDetachShader(program.name, vertex);
            glDetachShader(program.name, fragment);
            glDeleteShader(vertex);
            glDeleteShader(fragment);
            // Kept before the link check so the destructor deletes it either way.
            effect->programs.back().push_back(program);
            GLint ok = GL_FALSE;
            glGetProgramiv(program.name, GL_LINK_STATUS, &ok);
            if (ok != GL_TRUE) {
                errors = where + ", link:\n" + programLog(program.name);
                return nullptr;
            }
            Program& linked = effect->programs.back().back();
            linked.wvp = glGetUniformLocation(program.name, "wvp");
            const std::uint32_t previous = (*device)->currentProgram();
            (*device)->useProgram(program.name);
            for (std::uint32_t unit = 0; unit < kDeviceTextureStages; ++unit) {
                const std::string sampler = "tex" + std::to_string(unit);
                linked.samplers[unit] = glGetUniformLocation(program.name, sampler.c_str());
                if (linked.samplers[unit] >= 0) {
                    glUniform1i(linked.samplers[unit], static_cast<GLint>(unit));
                }
            }
            (*device)->useProgram(previous);
            VELMORA_GL_CHECK();
        }
    }
    return effect;
}

HRESULT GlEffect::begin(std::uint32_t* passCount, std::uint32_t /*flags*/) {
    return core.begin(passCount);
}

HRESULT GlEffect::beginPass(std::uint32_t pass) {
    const HRESULT hr = core.beginPass(pass);
    GlDevice* device = *device_;
    if (hr != D3D_OK || device == nullptr)
        return hr;
    const Program& program = programs[core.technique][pass];
    device->useProgram(program.name);
    if (program.wvp >= 0)
        glUniformMatrix4fv(program.wvp, 1, GL_FALSE, core.wvp.data());
    for (std::uint32_t stage = 0; stage < kDeviceTextureStages; ++stage) {
        if (program.samplers[stage] >= 0)
            device->setTexture(stage, core.textures[stage]);
    }
    VELMORA_GL_CHECK();
    return D3D_OK;
}

HRESULT GlEffect::endPass() {
    const HRESULT hr = core.endPass();
    if (hr == D3D_OK && *device_ != nullptr)
        (*device_)->useProgram(0);
    return hr;
}

HRESULT GlEffect::end() {
    const bool inPass = core.activePass >= 0;
    const HRESULT hr = core.end();
    if (hr == D3D_OK && inPass && *device_ != nullptr)
        (*device_)->useProgram(0);
    return hr;
}

}  // namespace velmora
