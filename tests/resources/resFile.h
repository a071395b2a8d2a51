// Reads a compiled Windows resource file (.res), as the resource compiler writes
// it from resources/korvel.rc, and decodes the menu and dialog templates in it,
// so the tests can check what the Windows host will really load.
#pragma once

#include "tools/artgen/byteIo.h"

#include <string>
#include <vector>

namespace korvel::art {

// A resource type or name: a number, or a string (ASCII here).
struct ResId {
    bool isNumber = false;
    unsigned number = 0;
    std::string text;

    static ResId of(unsigned n) { return {true, n, {}}; }
    static ResId of(std::string s) { return {false, 0, std::move(s)}; }
    friend bool operator==(const ResId& a, const ResId& b) {
        return a.isNumber == b.isNumber && (a.isNumber ? a.number == b.number : a.text == b.text);
    }
};

struct Resource {
    ResId type;
    ResId name;
    Bytes data;
};

std::vector<Resource> readResFile(const std::string& path);
// The resource with this type and name; throws std::runtime_error when absent.
const Resource& findResource(const std::vector<Resource>& all, const ResId& type,
                             const ResId& name);

struct MenuItem {
    unsigned flags = 0; // MF_POPUP, MF_END and the like, as stored
    unsigned id = 0;    // commands only
    std::string text;
    std::vector<MenuItem> items; // popups only
};

// The top-level items of a MENU template.
std::vector<MenuItem> decodeMenu(const Bytes& data);

struct DialogControl {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    unsigned id = 0;
    ResId windowClass;
    std::string text;
};

struct DialogTemplate {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    ResId menu;
    ResId windowClass;
    std::string caption;
    unsigned fontPoints = 0;
    std::string fontName;
    std::vector<DialogControl> controls;
};

// A DIALOG (not DIALOGEX) template.
DialogTemplate decodeDialog(const Bytes& data);

} // namespace korvel::art
