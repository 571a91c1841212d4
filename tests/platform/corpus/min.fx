// The effect the renderer draws every mesh with: position through wvp, the tex0 texture
// modulated by the vertex colour. Format: see platform/EffectFile.cpp.
@technique MyEffect
@pass P0
@vertex
#version 330 core
uniform mat4 wvp;
in vec3 POSITION0;
in vec4 COLOR0;
in vec2 TEXCOORD0;
in vec3 NORMAL0;
in vec3 TANGENT0;
in float TEXCOORD1;
in vec4 BLENDINDICES0;
in vec4 BLENDWEIGHT0;
in vec2 TEXCOORD2;
out vec4 vColor;
out vec2 vTexCoord;
void main() {
    // The remaining inputs take part with a vanishing weight, so that no compiler drops
    // them and every stream of the declaration stays bound.
    float others = dot(NORMAL0, TANGENT0) + TEXCOORD1 + dot(BLENDINDICES0, BLENDWEIGHT0) +
                   TEXCOORD2.x + TEXCOORD2.y;
    gl_Position = wvp * vec4(POSITION0, 1.0);
    vColor = COLOR0 + vec4(others * 1e-30);
    vTexCoord = TEXCOORD0;
}
@end
@fragment
#version 330 core
uniform sampler2D tex0;
in vec4 vColor;
in vec2 vTexCoord;
out vec4 fragColor;
void main() {
    fragColor = texture(tex0, vTexCoord) * vColor;
}
@end
@end
@end
