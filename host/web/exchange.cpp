// The buffers of exchange.h, and the export that lets the page fill the input.
#include "host/web/exchange.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace korvel::web {
namespace {

std::vector<char> inputBytes(1, '\0'); // the bytes and a zero byte after them
std::string handedBack;

} // namespace

std::string_view input() {
    return {inputBytes.data(), inputBytes.size() - 1};
}

std::string inputText() {
    return inputBytes.data();
}

std::vector<std::string> inputList() {
    std::vector<std::string> items;
    std::string_view rest = input();
    while (!rest.empty()) {
        const size_t end = std::min(rest.find(listItemEnd), rest.size());
        if (end > 0) items.emplace_back(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return items;
}

const char* handBack(std::string value) {
    handedBack = std::move(value);
    return handedBack.c_str();
}

size_t handedBackSize() {
    return handedBack.size();
}

} // namespace korvel::web

extern "C" {

// A buffer of size bytes for the page to fill before the call that reads it.
EMSCRIPTEN_KEEPALIVE char* korvel_input(int size) {
    korvel::web::inputBytes.assign(static_cast<size_t>(std::max(size, 0)) + 1, '\0');
    return korvel::web::inputBytes.data();
}
// What was last handed back, and its size, for bytes that may hold zeros.
EMSCRIPTEN_KEEPALIVE const char* korvel_handedBack() {
    return korvel::web::handedBack.data();
}
EMSCRIPTEN_KEEPALIVE double korvel_handedBackSize() {
    return static_cast<double>(korvel::web::handedBackSize());
}
}
