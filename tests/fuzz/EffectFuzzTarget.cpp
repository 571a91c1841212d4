// The effect file parser. The checks catch a parse that breaks the file's limits or fails
// without saying why.
#include <string_view>

#include "platform/EffectFile.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    EffectFileSource effect;
    std::string error;
    if (!parseEffectFile(text, effect, error)) {
        check(!error.empty());
        return 0;
    }
    check(effect.techniques.size() <= kMaxTechniques);
    for (const EffectTechniqueSource& t : effect.techniques) {
        check(!t.name.empty() && t.name.size() <= kMaxEffectNameLength);
        check(!t.passes.empty() && t.passes.size() <= kMaxPassesPerTechnique);
        check(effect.find(t.name) != nullptr);
        for (const EffectPassSource& p : t.passes) {
            check(!p.name.empty() && p.name.size() <= kMaxEffectNameLength);
            check(p.vertexLine > 0 && p.fragmentLine > 0);
        }
    }
    return 0;
}
