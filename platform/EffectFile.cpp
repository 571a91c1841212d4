// The effect file loader.
//
// Grammar (line based; a directive is a line whose first non-blank character is '@'):
//
//   file       := { blank | comment | technique }
//   technique  := "@technique" NAME NL  pass { pass }  "@end" NL
//   pass       := "@pass" NAME NL  { blank | comment | stage }  "@end" NL
//   stage      := ("@vertex" | "@fragment") NL  { source-line }  "@end" NL
//   comment    := a line whose first non-blank characters are "//" (outside stages)
//   NAME       := 1 to 64 of [A-Za-z0-9_]
//
// Source lines are GLSL 330, copied verbatim (a trailing CR dropped); inside a stage the only
// directive is "@end". Each pass needs exactly one vertex and one fragment stage. Uniforms
// are the effect's parameters ("wvp", a mat4 uploaded row-major so that wvp * vec4(p, 1) is
// the row-vector product, and the samplers "tex0".."tex7" on texture units 0..7); vertex
// inputs take the names of kSemanticNames. Example:
//
//   @technique MyEffect
//   @pass P0
//   @vertex
//   #version 330 core
//   ...
//   @end
//   @fragment
//   ...
//   @end
//   @end
//   @end
//
// Limits: 1 MiB per file, 16 techniques, 16 passes per technique, names of 64 characters.
// NUL bytes, unknown directives, text outside a stage, duplicate names and sections left
// open at the end of the file are errors that name their line.
#include "platform/EffectFile.h"

#include "platform/BoundedFile.h"
#include "platform/GpuDevice.h"

namespace velmora {
namespace {

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string lineError(int line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

enum class Section { Top, Technique, Pass, Stage };

class Parser {
  public:
    Parser(EffectFileSource& out, std::string& error) : out_(out), error_(error) {}

    bool line(int number, std::string_view text) {
        if (section_ == Section::Stage)
            return stageLine(number, text);
        const std::string_view body = trim(text);
        if (body.empty() || body.starts_with("//"))
            return true;
        if (body.front() != '@') {
            return fail(number, "text outside a @vertex or @fragment stage");
        }
        std::size_t wordEnd = 1;
        while (wordEnd < body.size() && body[wordEnd] != ' ' && body[wordEnd] != '\t') {
            ++wordEnd;
        }
        const std::string_view word = body.substr(1, wordEnd - 1);
        const std::string_view argument = trim(body.substr(wordEnd));
        if (word == "technique")
            return technique(number, argument);
        if (word == "pass")
            return pass(number, argument);
        if (word == "vertex" || word == "fragment")
            return stage(number, word, argument);
        if (word == "end")
            return end(number, argument);
        return fail(number, "unknown directive @" + std::string(word.substr(0, 32)));
    }

    bool finish(int lastLine) {
        if (section_ != Section::Top) {
            return fail(openLine_[static_cast<int>(section_)],
                        "@" + openWord() + " is never closed with @end");
        }
        if (out_.techniques.empty())
            return fail(lastLine, "the file holds no @technique");
        return true;
    }

  private:
    bool fail(int number, const std::string& what) {
        error_ = lineError(number, what);
        return false;
    }

    std::string openWord() const {
        switch (section_) {
            case Section::Technique:
                return "technique";
            case Section::Pass:
                return "pass";
            case Section::Stage:
                return stageIsVertex_ ? "vertex" : "fragment";
            case Section::Top:
                break;
        }
        return "";
    }

    bool checkName(int number, std::string_view directive, std::string_view name) {
        if (name.empty())
            return fail(number, "@" + std::string(directive) + " needs a name");
        if (name.size() > kMaxEffectNameLength) {
            return fail(number,
                        "name longer than " + std::to_string(kMaxEffectNameLength) + " characters");
        }
        for (char c : name) {
            if (!isNameChar(c)) {
                return fail(number, "a name holds only letters, digits and '_'");
            }
        }
        return true;
    }

    bool technique(int number, std::string_view name) {
        if (section_ != Section::Top)
            return fail(number, "@technique inside another section");
        if (!checkName(number, "technique", name))
            return false;
        if (out_.find(name) != nullptr) {
            return fail(number, "technique \"" + std::string(name) + "\" defined twice");
        }
        if (out_.techniques.size() >= kMaxTechniques) {
            return fail(number, "more than " + std::to_string(kMaxTechniques) + " techniques");
        }
        out_.techniques.push_back({std::string(name), number, {}});
        open(Section::Technique, number);
        return true;
    }

    bool pass(int number, std::string_view name) {
        if (section_ != Section::Technique)
            return fail(number, "@pass outside a @technique");
        if (!checkName(number, "pass", name))
            return false;
        auto& passes = out_.techniques.back().passes;
        for (const auto& p : passes) {
            if (p.name == name) {
                return fail(number, "pass \"" + std::string(name) + "\" defined twice");
            }
        }
        if (passes.size() >= kMaxPassesPerTechnique) {
            return fail(number, "more than " + std::to_string(kMaxPassesPerTechnique) +
                                    " passes in one technique");
        }
        passes.push_back({});
        passes.back().name = std::string(name);
        passes.back().line = number;
        open(Section::Pass, number);
        return true;
    }

    bool stage(int number, std::string_view word, std::string_view argument) {
        if (section_ != Section::Pass) {
            return fail(number, "@" + std::string(word) + " outside a @pass");
        }
        if (!argument.empty())
            return fail(number, "@" + std::string(word) + " takes no name");
        EffectPassSource& p = out_.techniques.back().passes.back();
        stageIsVertex_ = word == "vertex";
        int& stageLine = stageIsVertex_ ? p.vertexLine : p.fragmentLine;
        if (stageLine != 0) {
            return fail(number, "second @" + std::string(word) + " stage in one pass");
        }
        stageLine = number + 1;
        open(Section::Stage, number);
        return true;
    }

    bool end(int number, std::string_view argument) {
        if (!argument.empty())
            return fail(number, "@end takes no name");
        switch (section_) {
            case Section::Top:
                return fail(number, "@end without an open section");
            case Section::Technique:
                if (out_.techniques.back().passes.empty()) {
                    return fail(number,
                                "technique \"" + out_.techniques.back().name + "\" has no @pass");
                }
                section_ = Section::Top;
                return true;
            case Section::Pass: {
                const EffectPassSource& p = out_.techniques.back().passes.back();
                if (p.vertexLine == 0 || p.fragmentLine == 0) {
                    return fail(number, "pass \"" + p.name +
                                            "\" needs both a @vertex and a @fragment stage");
                }
                section_ = Section::Technique;
                return true;
            }
            case Section::Stage:
                break;
        }
        section_ = Section::Pass;
        return true;
    }

    bool stageLine(int number, std::string_view text) {
        const std::string_view body = trim(text);
        if (!body.empty() && body.front() == '@') {
            if (body == "@end")
                return end(number, {});
            return fail(number, "only @end may close a stage; GLSL lines never begin with '@'");
        }
        EffectPassSource& p = out_.techniques.back().passes.back();
        std::string& source = stageIsVertex_ ? p.vertexSource : p.fragmentSource;
        source.append(text);
        source.push_back('\n');
        return true;
    }

    void open(Section section, int number) {
        section_ = section;
        openLine_[static_cast<int>(section)] = number;
    }

    EffectFileSource& out_;
    std::string& error_;
    Section section_ = Section::Top;
    bool stageIsVertex_ = false;
    int openLine_[4] = {};
};

}  // namespace

int semanticLocation(std::uint8_t usage, std::uint8_t usageIndex) {
    struct Semantic {
        std::uint8_t usage;
        std::uint8_t index;
    };
    static constexpr Semantic kTable[9] = {
        {D3DDECLUSAGE_POSITION, 0},     {D3DDECLUSAGE_COLOR, 0},       {D3DDECLUSAGE_TEXCOORD, 0},
        {D3DDECLUSAGE_NORMAL, 0},       {D3DDECLUSAGE_TANGENT, 0},     {D3DDECLUSAGE_TEXCOORD, 1},
        {D3DDECLUSAGE_BLENDINDICES, 0}, {D3DDECLUSAGE_BLENDWEIGHT, 0}, {D3DDECLUSAGE_TEXCOORD, 2},
    };
    for (int location = 0; location < 9; ++location) {
        if (kTable[location].usage == usage && kTable[location].index == usageIndex) {
            return location;
        }
    }
    return -1;
}

const EffectTechniqueSource* EffectFileSource::find(std::string_view name) const {
    for (const auto& t : techniques) {
        if (t.name == name)
            return &t;
    }
    return nullptr;
}

bool parseEffectFile(std::string_view text, EffectFileSource& out, std::string& error) {
    out = {};
    error.clear();
    Parser parser(out, error);
    int number = 1;
    while (true) {
        const std::size_t newline = text.find('\n');
        std::string_view current = text.substr(0, newline);
        if (current.find('\0') != std::string_view::npos) {
            error = lineError(number, "NUL byte in the file");
            return false;
        }
        if (!current.empty() && current.back() == '\r')
            current.remove_suffix(1);
        if (!parser.line(number, current))
            return false;
        if (newline == std::string_view::npos)
            break;
        text.remove_prefix(newline + 1);
        ++number;
    }
    return parser.finish(number);
}

bool loadEffectFile(const char* path, EffectFileSource& out, std::string& error) {
    error.clear();
    if (path == nullptr)
        return false;
    const std::string name(path);
    BoundedFile file(name, kMaxEffectFileBytes);
    std::string text;
    if (!file.readAll(text)) {
        // A file that is not there at all is the caller's to explain.
        if (!file.openFailed())
            error = name + ": " + file.error();
        return false;
    }
    if (!parseEffectFile(text, out, error)) {
        error = name + ", " + error;
        return false;
    }
    if (out.find(kRequiredTechnique) == nullptr) {
        error = name + ": no technique \"" + std::string(kRequiredTechnique) +
                "\" (the renderer draws with it)";
        return false;
    }
    return true;
}

}  // namespace velmora
