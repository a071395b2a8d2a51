// LED cells and reading by mode.
#include "frontend/session/ledText.h"

#include "model/script.h"

namespace korvel {

LedCells ledCells(const KitState& kit) {
    switch (kit.mode) {
    case KitMode::Clock:
        return {hexCell(kit.hours / 10u), colonCell(kit), hexCell(kit.minutes / 10u),
                hexCell(kit.minutes % 10u)};
    case KitMode::Entry:
        return {hexCell(kit.digits[3]), hexCell(kit.digits[2]), hexCell(kit.digits[1]),
                hexCell(kit.digits[0])};
    default: return {blankCell, blankCell, blankCell, blankCell};
    }
}

uint32_t colonCell(const KitState& kit) {
    return kit.colonLit ? pointCell(kit.hours % 10u) : hexCell(kit.hours % 10u);
}

std::string ledReading(const KitState& kit) {
    switch (kit.mode) {
    case KitMode::Clock:
        return {static_cast<char>('0' + kit.hours / 10), static_cast<char>('0' + kit.hours % 10),
                ':', static_cast<char>('0' + kit.minutes / 10),
                static_cast<char>('0' + kit.minutes % 10)};
    case KitMode::Entry:
        return {nibbleChar(kit.digits[3]), ' ', nibbleChar(kit.digits[2]), ' ',
                nibbleChar(kit.digits[1]), ' ', nibbleChar(kit.digits[0])};
    default: return "dark";
    }
}

} // namespace korvel
