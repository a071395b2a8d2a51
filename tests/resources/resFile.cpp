#include "tests/resources/resFile.h"

#include <stdexcept>

namespace korvel::art {

namespace {

constexpr std::uint16_t ordinalMark = 0xFFFF;
constexpr std::uint32_t setFontStyle = 0x40; // DS_SETFONT
constexpr unsigned popupFlag = 0x10;         // MF_POPUP
constexpr unsigned endFlag = 0x80;           // MF_END

// The rest of a zero-terminated UTF-16 string whose first unit has been read;
// anything outside ASCII becomes '?'.
std::string readStringFrom(ByteReader& in, std::uint16_t unit) {
    std::string text;
    for (; unit != 0; unit = in.u16()) text += unit < 128 ? static_cast<char>(unit) : '?';
    return text;
}

std::string readString(ByteReader& in) {
    return readStringFrom(in, in.u16());
}

// A number (marked by 0xFFFF) or a string; a lone zero is the empty string.
ResId readResId(ByteReader& in) {
    const std::uint16_t first = in.u16();
    if (first == ordinalMark) return ResId::of(in.u16());
    return ResId::of(readStringFrom(in, first));
}

std::vector<MenuItem> readMenuItems(ByteReader& in) {
    std::vector<MenuItem> items;
    for (;;) {
        MenuItem item;
        item.flags = in.u16();
        if ((item.flags & popupFlag) == 0) item.id = in.u16();
        item.text = readString(in);
        if (item.flags & popupFlag) item.items = readMenuItems(in);
        items.push_back(item);
        if (item.flags & endFlag) return items;
    }
}

} // namespace

std::vector<Resource> readResFile(const std::string& path) {
    const Bytes bytes = readFileBytes(path);
    std::vector<Resource> all;
    std::size_t start = 0;
    while (start < bytes.size()) {
        ByteReader header(bytes, path, start);
        const std::uint32_t dataSize = header.u32();
        const std::uint32_t headerSize = header.u32();
        Resource resource;
        resource.type = readResId(header);
        resource.name = readResId(header);
        ByteReader data(bytes, path, start);
        data.skip(headerSize);
        data.require(dataSize);
        const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(data.offset());
        resource.data.assign(first, first + dataSize);
        start = (data.offset() + dataSize + 3) / 4 * 4;
        // The file opens with an empty entry that only marks it as 32-bit.
        if (!(resource.type.isNumber && resource.type.number == 0)) all.push_back(resource);
    }
    return all;
}

const Resource& findResource(const std::vector<Resource>& all, const ResId& type,
                             const ResId& name) {
    for (const Resource& resource : all)
        if (resource.type == type && resource.name == name) return resource;
    throw std::runtime_error(
        "resource " + (name.isNumber ? std::to_string(name.number) : name.text) + " of type " +
        (type.isNumber ? std::to_string(type.number) : type.text) + " not found");
}

std::vector<MenuItem> decodeMenu(const Bytes& data) {
    ByteReader in(data, "menu template");
    in.skip(4); // version and header size, both 0
    return readMenuItems(in);
}

DialogTemplate decodeDialog(const Bytes& data) {
    ByteReader in(data, "dialog template");
    DialogTemplate dialog;
    dialog.style = in.u32();
    dialog.exStyle = in.u32();
    const int count = in.u16();
    dialog.x = in.s16();
    dialog.y = in.s16();
    dialog.width = in.s16();
    dialog.height = in.s16();
    dialog.menu = readResId(in);
    dialog.windowClass = readResId(in);
    dialog.caption = readString(in);
    if (dialog.style & setFontStyle) {
        dialog.fontPoints = in.u16();
        dialog.fontName = readString(in);
    }
    for (int i = 0; i < count; ++i) {
        in.alignTo(4);
        DialogControl control;
        control.style = in.u32();
        control.exStyle = in.u32();
        control.x = in.s16();
        control.y = in.s16();
        control.width = in.s16();
        control.height = in.s16();
        control.id = in.u16();
        control.windowClass = readResId(in);
        ResId text = readResId(in);
        control.text = text.text;
        in.skip(in.u16()); // creation data
        dialog.controls.push_back(control);
    }
    return dialog;
}

} // namespace korvel::art
