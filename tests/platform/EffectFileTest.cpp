// The effect file parser and loader: malformed files fail with a line number and never crash
// (also under the sanitizers), and the limits hold.
#include <gtest/gtest.h>

#include <string>

#include "platform/EffectFile.h"
#include "tests/render/PictureFiles.h"

namespace velmora {
namespace {

const std::string kPass =
    "@pass P0\n@vertex\nvoid main() {}\n@end\n@fragment\nvoid main() {}\n@end\n@end\n";

std::string technique(const std::string& name, const std::string& passes = kPass) {
    return "@technique " + name + "\n" + passes + "@end\n";
}

TEST(EffectFile, ParsesSourcesVerbatimWithTheirLineNumbers) {
    // Windows line ends, indented directives, and braces or @ inside GLSL lines.
    const std::string text =
        "// comment\r\n\r\n@technique MyEffect\r\n  @pass A\r\n  @fragment\r\n"
        "void main() { // braces { and @ inside a line stay }\r\n@end\r\n"
        "@vertex\r\n#version 330 core\r\n\r\nvoid main() {}\r\n  @end  \r\n@end\r\n@end\n";
    EffectFileSource parsed;
    std::string error;
    ASSERT_TRUE(parseEffectFile(text, parsed, error)) << error;
    ASSERT_NE(parsed.find("MyEffect"), nullptr);
    const EffectPassSource& pass = parsed.find("MyEffect")->passes.at(0);
    EXPECT_EQ(pass.fragmentSource, "void main() { // braces { and @ inside a line stay }\n");
    EXPECT_EQ(pass.vertexSource, "#version 330 core\n\nvoid main() {}\n");
    EXPECT_EQ(pass.fragmentLine, 6);  // where the GLSL starts, for the compiler's messages
    EXPECT_EQ(pass.vertexLine, 9);
}

TEST(EffectFile, MalformedFilesFailWithTheLineAtFault) {
    std::string seventeenPasses;
    std::string seventeenTechniques;
    for (int i = 0; i < 17; ++i) {
        seventeenPasses +=
            "@pass P" + std::to_string(i) + "\n@vertex\nv\n@end\n@fragment\nf\n@end\n@end\n";
        seventeenTechniques += technique("T" + std::to_string(i));
    }
    const std::pair<std::string, std::string> cases[] = {
        // text, start of the error
        {"@technique T\n@pass P\n@vertex\nvoid main() {}\n", "line 3: @vertex is never closed"},
        {"@technique T\n", "line 1: @technique is never closed"},
        {"@technique T\n@pass " + std::string(kMaxEffectNameLength + 1, 'n') + "\n",
         "line 2: name longer"},
        {"@technique T\n@pass P\n@vertex\nv\n@end\n@end\n", "line 6: pass \"P\" needs both"},
        {"@technique T\n" + seventeenPasses + "@end\n", "line 130: more than 16 passes"},
        {seventeenTechniques, "line 161: more than 16 techniques"},
        {"@technique T\n@pass P\n@vertex\nv\n@end\n@vertex\n", "line 6: second @vertex"},
        {std::string("@technique T\n@pass P\n@vertex\nv\0id\n", 34), "line 4: NUL byte"},
    };
    for (const auto& [text, expected] : cases) {
        EffectFileSource parsed;
        std::string error;
        EXPECT_FALSE(parseEffectFile(text, parsed, error)) << text;
        EXPECT_EQ(error.substr(0, expected.size()), expected) << error;
    }
}

TEST(EffectFile, LoaderReadsBoundedFilesAndRequiresTheRenderersTechnique) {
    EffectFileSource parsed;
    std::string error = "stale";
    EXPECT_FALSE(loadEffectFile("no/such/file.fx", parsed, error));
    EXPECT_TRUE(error.empty());  // where to find the file is for the caller to say
    testing::TempFolder dir;
    EXPECT_FALSE(loadEffectFile(dir.path("").c_str(), parsed, error));
    EXPECT_NE(error.find(": is a folder"), std::string::npos) << error;

    const std::string other = dir.write("other.fx", technique("Other"));
    EXPECT_FALSE(loadEffectFile(other.c_str(), parsed, error));
    EXPECT_NE(error.find("no technique \"MyEffect\""), std::string::npos) << error;
    EXPECT_NE(error.find(other), std::string::npos) << error;

    // One byte past the limit: refused before a byte is read.
    const std::string oversize =
        dir.write("oversize.fx", std::string(kMaxEffectFileBytes + 1, ' '));
    EXPECT_FALSE(loadEffectFile(oversize.c_str(), parsed, error));
    EXPECT_NE(error.find("oversize.fx: is larger than 1 MiB (1048577 bytes)"), std::string::npos)
        << error;
    std::string full = technique("Other") + technique("MyEffect");
    full.resize(kMaxEffectFileBytes, ' ');
    const std::string atLimit = dir.write("at-limit.fx", full);
    EXPECT_TRUE(loadEffectFile(atLimit.c_str(), parsed, error)) << error;
    EXPECT_EQ(parsed.techniques.size(), 2u);
}

}  // namespace
}  // namespace velmora
