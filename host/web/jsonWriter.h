// JSON text for the page: the values the kit's module hands it and the
// declarations the build writes for it, built here so that the page reads them
// with JSON.parse or as a module, never by splitting text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace korvel::web {

// Writes one JSON value: objects and arrays opened and closed in turn, the
// commas between their members placed here.
class JsonWriter {
  public:
    JsonWriter& beginObject() { return open('{'); }
    JsonWriter& endObject() { return close('}'); }
    JsonWriter& beginArray() { return open('['); }
    JsonWriter& endArray() { return close(']'); }
    // The next member's name, in an object.
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    // Only a bool itself: an enum or a pointer would otherwise be taken for one.
    template <class Truth, std::enable_if_t<std::is_same_v<Truth, bool>, int> = 0>
    JsonWriter& value(Truth truth) {
        return boolean(truth);
    }
    template <
        class Integer,
        std::enable_if_t<std::is_integral_v<Integer> && !std::is_same_v<Integer, bool>, int> = 0>
    JsonWriter& value(Integer number) {
        return integer(static_cast<int64_t>(number));
    }

    const std::string& text() const { return text_; }
    std::string take() { return std::move(text_); }

  private:
    JsonWriter& open(char bracket);
    JsonWriter& close(char bracket);
    JsonWriter& integer(int64_t number);
    JsonWriter& boolean(bool truth);
    void separate();
    void quote(std::string_view text);

    std::string text_;
    bool first_ = true;  // no member yet in the innermost object or array
    bool keyed_ = false; // a key was written, its value comes next
};

} // namespace korvel::web
