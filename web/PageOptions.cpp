#include "web/PageOptions.h"

#include <array>
#include <vector>

namespace velmora {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

struct PageOption {
    const char* name;
    bool takesValue;
};
/// What a page may ask for: the program's options that make sense without a file system of
/// the user's own (no outputs, no headless run).
constexpr std::array<PageOption, 7> kPageOptions{{{"scene", true},
                                                  {"paused", false},
                                                  {"frame-time", true},
                                                  {"no-overlay", false},
                                                  {"size", true},
                                                  {"history-mb", true},
                                                  {"replay", true}}};

}  // namespace

bool percentDecode(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            c = ' ';
        } else if (c == '%') {
            if (i + 2 >= text.size())
                return false;
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return false;
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        if (c == '\0')
            return false;
        out.push_back(c);
    }
    return true;
}

std::optional<PageOptions> parsePageQuery(std::string_view query, std::string& error) {
    if (query.starts_with('?'))
        query.remove_prefix(1);
    if (query.size() > kLongestPageQuery) {
        error = "the page's address asks too much (over " + std::to_string(kLongestPageQuery) +
                " bytes of options)";
        return std::nullopt;
    }
    PageOptions options;
    std::vector<std::string> args;
    while (!query.empty()) {
        const std::size_t end = query.find('&');
        const std::string_view item = query.substr(0, end);
        query = end == std::string_view::npos ? std::string_view{} : query.substr(end + 1);
        if (item.empty())
            continue;
        const std::size_t equals = item.find('=');
        std::string name, value;
        if (!percentDecode(item.substr(0, equals), name) ||
            (equals != std::string_view::npos && !percentDecode(item.substr(equals + 1), value))) {
            error = "the page's address has a broken %-escape in '" + std::string(item) + "'";
            return std::nullopt;
        }
        const PageOption* known = nullptr;
        for (const PageOption& option : kPageOptions) {
            if (name == option.name)
                known = &option;
        }
        if (known == nullptr) {
            error = "unknown page option '" + name + "' (";
            for (const PageOption& option : kPageOptions)
                error += std::string(option.name) + (&option == &kPageOptions.back() ? ")" : ", ");
            return std::nullopt;
        }
        if (known->takesValue && equals == std::string_view::npos) {
            error = "page option '" + name + "' needs a value (" + name + "=...)";
            return std::nullopt;
        }
        if (!known->takesValue && equals != std::string_view::npos) {
            error = "page option '" + name + "' takes no value";
            return std::nullopt;
        }
        args.push_back("--" + name);
        if (known->takesValue)
            args.push_back(value);
    }
    std::optional<CommandLine> program = parseCommandLine(args, error);
    if (!program) {
        // The program's words, with the page's names for its options.
        for (std::size_t at = error.find("--"); at != std::string::npos; at = error.find("--"))
            error.erase(at, 2);
        return std::nullopt;
    }
    options.program = std::move(*program);
    options.replay = options.program.replay;
    return options;
}

}  // namespace velmora
