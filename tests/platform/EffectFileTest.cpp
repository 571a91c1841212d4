// The effect file parser and loader: well-formed files, every kind of malformed one (each
// must fail with a line number and never crash, also under the sanitizers), and the limits.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/EffectFile.h"

namespace velmora {
namespace {

const std::string kPass =
    "@pass P0\n@vertex\nvoid main() {}\n@end\n@fragment\nvoid main() {}\n@end\n@end\n";

std::string technique(const std::string& name, const std::string& passes = kPass) {
    return "@technique " + name + "\n" + passes + "@end\n";
}

std::string writeFile(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return path;
}

TEST(EffectFile, ParsesTechniquesPassesAndVerbatimSource) {
    const std::string text =
        "// comment\r\n\r\n@technique First\r\n  @pass A\r\n  @fragment\r\n"
        "void main() { // braces { and @ inside a line stay }\r\n@end\r\n"
        "@vertex\r\n#version 330 core\r\n\r\nvoid main() {}\r\n  @end  \r\n@end\r\n"
        "@pass B\n@vertex\nv\n@end\n@fragment\nf\n@end\n@end\n@end\n" +
        technique("MyEffect");
    EffectFileSource parsed;
    std::string error;
    ASSERT_TRUE(parseEffectFile(text, parsed, error)) << error;
    ASSERT_EQ(parsed.techniques.size(), 2u);
    const EffectTechniqueSource& first = parsed.techniques[0];
    EXPECT_EQ(first.name, "First");
    ASSERT_EQ(first.passes.size(), 2u);
    EXPECT_EQ(first.passes[0].name, "A");
    EXPECT_EQ(first.passes[0].fragmentSource,
              "void main() { // braces { and @ inside a line stay }\n");
    EXPECT_EQ(first.passes[0].vertexSource, "#version 330 core\n\nvoid main() {}\n");
    EXPECT_EQ(first.passes[0].fragmentLine, 6);
    EXPECT_EQ(first.passes[0].vertexLine, 9);
    EXPECT_EQ(first.passes[1].vertexSource, "v\n");
    EXPECT_NE(parsed.find("MyEffect"), nullptr);
    EXPECT_EQ(parsed.find("Missing"), nullptr);
}

TEST(EffectFile, MalformedFilesFailWithTheLineAtFault) {
    const std::string longName(kMaxEffectNameLength + 1, 'n');
    std::string seventeenPasses;
    for (int i = 0; i < 17; ++i) {
        seventeenPasses +=
            "@pass P" + std::to_string(i) + "\n@vertex\nv\n@end\n@fragment\nf\n@end\n@end\n";
    }
    std::string seventeenTechniques;
    for (int i = 0; i < 17; ++i)
        seventeenTechniques += technique("T" + std::to_string(i));
    struct Case {
        std::string text;
        std::string expected;  ///< the start of the error text
    };
    const Case cases[] = {
        {"@technique T\n@pass P\n@vertex\nvoid main() {}\n", "line 3: @vertex is never closed"},
        {"@technique T\n@pass P\n", "line 2: @pass is never closed"},
        {"@technique T\n", "line 1: @technique is never closed"},
        {"@technique\n", "line 1: @technique needs a name"},
        {"@technique T\n@pass   \n", "line 2: @pass needs a name"},
        {"@technique " + longName + "\n", "line 1: name longer"},
        {"@technique T\n@pass " + longName + "\n", "line 2: name longer"},
        {"@technique T-1\n", "line 1: a name holds only"},
        {"@technique T\n@pass P\n@vertex\nv\n@end\n@end\n", "line 6: pass \"P\" needs both"},
        {"@technique T\n@pass P\n@fragment\nf\n@end\n@end\n", "line 6: pass \"P\" needs both"},
        {"@technique T\n@end\n", "line 2: technique \"T\" has no @pass"},
        {"@technique T\n" + seventeenPasses + "@end\n", "line 130: more than 16 passes"},
        {seventeenTechniques, "line 161: more than 16 techniques"},
        {"\n\nvoid main() {}\n", "line 3: text outside"},
        {"@shader\n", "line 1: unknown directive"},
        {"@end\n", "line 1: @end without"},
        {"@technique T\n@pass P\n@vertex\n@pass Q\n", "line 4: only @end may close"},
        {"@technique T\n@pass P\n@vertex\nv\n@end\n@vertex\n", "line 6: second @vertex"},
        {technique("T") + technique("T"), "line 11: technique \"T\" defined twice"},
        {"@pass P\n", "line 1: @pass outside"},
        {"@technique T\n@vertex\n", "line 2: @vertex outside"},
        {"// nothing but a comment\n", "line 2: the file holds no @technique"},
        {"", "line 1: the file holds no @technique"},
        {std::string("@technique T\n@pass P\n@vertex\nv\0id\n", 34), "line 4: NUL byte"},
    };
    for (const Case& c : cases) {
        EffectFileSource parsed;
        std::string error;
        EXPECT_FALSE(parseEffectFile(c.text, parsed, error)) << c.text;
        EXPECT_EQ(error.substr(0, c.expected.size()), c.expected) << error;
    }
}

TEST(EffectFile, LoaderReadsBoundedFilesAndRequiresTheRenderersTechnique) {
    EffectFileSource parsed;
    std::string error = "stale";
    EXPECT_FALSE(loadEffectFile("no/such/file.fx", parsed, error));
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(loadEffectFile(::testing::TempDir().c_str(), parsed, error));  // a folder
    EXPECT_TRUE(error.empty());

    const std::string good = writeFile("good.fx", technique("Other") + technique("MyEffect"));
    EXPECT_TRUE(loadEffectFile(good.c_str(), parsed, error)) << error;
    EXPECT_EQ(parsed.techniques.size(), 2u);

    const std::string other = writeFile("other.fx", technique("Other"));
    EXPECT_FALSE(loadEffectFile(other.c_str(), parsed, error));
    EXPECT_NE(error.find("no technique \"MyEffect\""), std::string::npos) << error;
    EXPECT_NE(error.find(other), std::string::npos) << error;

    const std::string broken = writeFile("broken.fx", "@technique MyEffect\n@pass\n");
    EXPECT_FALSE(loadEffectFile(broken.c_str(), parsed, error));
    EXPECT_EQ(error, broken + ", line 2: @pass needs a name");

    // One byte past the limit, three lines in: refused before parsing, with its line.
    std::string huge = "// a\n// b\n";
    huge += std::string(kMaxEffectFileBytes + 1 - huge.size(), ' ');
    const std::string oversize = writeFile("oversize.fx", huge);
    EXPECT_FALSE(loadEffectFile(oversize.c_str(), parsed, error));
    EXPECT_NE(error.find("line 3: the file is larger than 1048576 bytes"), std::string::npos)
        << error;
    std::string full = technique("MyEffect");
    full.resize(kMaxEffectFileBytes, ' ');
    const std::string atLimit = writeFile("at-limit.fx", full);
    EXPECT_TRUE(loadEffectFile(atLimit.c_str(), parsed, error)) << error;
}

}  // namespace
}  // namespace velmora
