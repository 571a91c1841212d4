#pragma once
// The one list of what a user can press and pass: --help prints it, the on-screen help shows
// it, and the README's tables are checked against it, so the three cannot drift apart.
#include <span>
#include <string>
#include <vector>

#include "overlay/HelpPicture.h"

namespace velmora {

/// One row of the controls table: the key or button, and what it does.
struct ControlRow {
    const char* input;
    const char* effect;
};

/// One command-line option: its form (with its argument) and what it does.
struct OptionRow {
    const char* form;
    const char* effect;
};

/// Every key and mouse control, in the order a user learns them.
std::span<const ControlRow> controlsTable();
/// Every command-line option.
std::span<const OptionRow> optionsTable();

/// The rows of the on-screen help: a heading, the controls, a heading, the options.
std::vector<HelpRow> helpRows();

/// The usage text printed by --help and after a bad argument: options, then controls.
std::string usageText();

}  // namespace velmora
