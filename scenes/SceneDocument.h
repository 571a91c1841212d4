#pragma once
// A scene file's text as one JSON document, parsed whole before anything is checked, within
// bounds on its nesting and on the number of values it holds, so that any text, however
// hostile, costs little memory. Every key stays, in the order written (one given twice too,
// for the checks to find), and every float is the float its text rounds to.
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

/// Objects keep their keys in the order written.
using SceneJson = nlohmann::ordered_json;

struct SceneDocument {
    SceneJson root;
    bool whole = false;       ///< the text parsed to its end
    std::string syntaxError;  ///< "invalid JSON at byte 17: ...", when the parser found one
    /// Why a bound stopped the parse short ("particle 0: nested deeper than a scene file
    /// goes"), with the containers it was inside, outermost first, left unfinished.
    std::string stopped;
    std::vector<SceneJson*> unfinished;
};

SceneDocument parseSceneDocument(std::string_view text);

}  // namespace velmora
