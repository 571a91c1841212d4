#include "scenes/SceneDocument.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace velmora {
namespace {

/// Root object, an array of them, an element, its three numbers: nothing goes deeper.
constexpr std::size_t kMaxDepth = 4;
/// The largest scene holds about 500,000 values (ten a particle, four a link), so only a file
/// refused anyway holds more; the bound keeps the memory of any file small.
constexpr std::size_t kMaxValues = 1'000'000;

/// The double kept for a float token. Where rounding the text to a double lands on the
/// midpoint of two floats that the text itself lies beside ("7.038531e-26", a save's shortest
/// text for its float, is one), the double moves one step towards the float the text rounds
/// to, so every float reads as if rounded once from its text.
double roundedOnce(double value, const std::string& text) {
    // strtof, not from_chars: the web build's C++ library has no floating-point from_chars.
    // The token is a JSON number the parser has read, so nothing but the number is there.
    // Its ERANGE for a subnormal float is no failure (from_chars reads those too); a zero or
    // an infinity from an out-of-range text is.
    errno = 0;
    const float direct = std::strtof(text.c_str(), nullptr);
    const bool read = errno == 0 || (std::isfinite(direct) && direct != 0.0f);
    if (read && static_cast<float>(value) != direct) {
        return std::nextafter(value, static_cast<double>(direct));
    }
    return value;
}

/// Builds the document from the parser's events. Every key is kept in order, one given twice
/// too, for the checks to find; the parse stops at the nesting and value bounds.
class DocumentBuilder final : public nlohmann::json_sax<SceneJson> {
  public:
    DocumentBuilder(SceneDocument& document, std::string_view text)
        : document_(document), text_(text) {}

    /// "line L, column C" of the character the parse had read `count` characters up to.
    std::string placeOf(std::size_t count) const {
        const std::size_t at = std::min(count == 0 ? 0 : count - 1, text_.size());
        const std::size_t lineStart = at == 0 ? 0 : text_.rfind('\n', at - 1) + 1;
        const auto line =
            1 + std::count(text_.begin(), text_.begin() + static_cast<long>(at), '\n');
        return "line " + std::to_string(line) + ", column " + std::to_string(at - lineStart + 1);
    }

    bool null() override { return add(nullptr); }
    bool boolean(bool b) override { return add(b); }
    bool number_integer(number_integer_t v) override { return add(v); }
    bool number_unsigned(number_unsigned_t v) override { return add(v); }
    bool number_float(number_float_t v, const string_t& text) override {
        return add(roundedOnce(v, text));
    }
    bool string(string_t& s) override { return add(std::move(s)); }
    bool binary(binary_t&) override { return add(nullptr); }  // JSON text holds none
    bool start_object(std::size_t) override { return enter(SceneJson::object()); }
    bool start_array(std::size_t) override { return enter(SceneJson::array()); }
    bool key(string_t& name) override {
        key_ = std::move(name);
        return true;
    }
    bool end_object() override { return leave(); }
    bool end_array() override { return leave(); }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& e) override {
        // e.what() is "[json.exception.parse_error.101] parse error at line 1, column 5: ...".
        const std::string what = e.what();
        const std::size_t colon = what.find(": ");
        document_.syntaxError = "invalid JSON at " + placeOf(position) + ": " +
                                (colon == std::string::npos ? what : what.substr(colon + 2));
        return false;
    }

  private:
    bool add(SceneJson&& value) { return place(std::move(value)) != nullptr; }

    /// Puts the value where the parse stands; null when the value bound stops it.
    SceneJson* place(SceneJson&& value) {
        if (++values_ > kMaxValues) {
            document_.stopped = "more values than a scene file holds";
            return nullptr;
        }
        if (open.empty()) {
            root = std::move(value);
            return &root;
        }
        SceneJson& parent = *open.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        // Appended, not looked up: a second copy of a key stays beside the first.
        auto& entries = parent.get_ref<SceneJson::object_t&>();
        entries.emplace_back(std::move(key_), std::move(value));
        return &entries.back().second;
    }

    bool enter(SceneJson&& container) {
        if (open.size() == kMaxDepth) {
            document_.stopped = where() + "nested deeper than a scene file goes";
            return false;  // the nesting could run to the end of the file
        }
        SceneJson* placed = place(std::move(container));
        if (placed != nullptr) {
            open.push_back(placed);
        }
        return placed != nullptr;
    }

    bool leave() {
        open.pop_back();
        return true;
    }

    /// "particle 3: " or "link 4: " while the parse is inside an element of those lists.
    std::string where() const {
        if (open.size() < 3 || !root.is_object() || !open[1]->is_array())
            return "";
        const std::string& key = root.get_ref<const SceneJson::object_t&>().back().first;
        const std::string index = std::to_string(open[1]->size() - 1);
        return key == "particles" ? "particle " + index + ": "
               : key == "links"   ? "link " + index + ": "
                                  : "";
    }

    SceneDocument& document_;
    std::string_view text_;
    /// The containers the parse is inside, outermost first.
    std::vector<SceneJson*>& open = document_.unfinished;
    SceneJson& root = document_.root;
    std::string key_;
    std::size_t values_ = 0;
};

}  // namespace

SceneDocument parseSceneDocument(std::string_view text) {
    SceneDocument document;
    DocumentBuilder builder(document, text);
    document.whole = SceneJson::sax_parse(text, &builder);
    // The parser takes a NUL for the end of the text, so whatever follows one would be
    // ignored (inside a string a NUL is already an error).
    if (const std::size_t nul = text.find('\0'); document.whole && nul != text.npos) {
        document.whole = false;
        document.syntaxError = "invalid JSON at " + builder.placeOf(nul + 1) + ": a NUL byte";
    }
    return document;
}

}  // namespace velmora
