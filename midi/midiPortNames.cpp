#include "midi/midiPortNames.h"

#include <cctype>
#include <set>

namespace korvel::midi {
namespace {

// The digits ending name before end, as the position where they begin.
size_t digitsBefore(const std::string& name, size_t end) {
    size_t begin = end;
    while (begin > 0 && std::isdigit(static_cast<unsigned char>(name[begin - 1]))) --begin;
    return begin;
}

} // namespace

std::string withoutAlsaAddress(const std::string& name) {
    const size_t portDigits = digitsBefore(name, name.size());
    if (portDigits == name.size() || portDigits == 0 || name[portDigits - 1] != ':') return name;
    const size_t clientDigits = digitsBefore(name, portDigits - 1);
    if (clientDigits == portDigits - 1 || clientDigits == 0 || name[clientDigits - 1] != ' ')
        return name;
    return name.substr(0, clientDigits - 1);
}

void makeUnique(std::vector<std::string>& names) {
    std::set<std::string> taken(names.begin(), names.end());
    std::set<std::string> seen;
    for (std::string& name : names) {
        if (seen.insert(name).second) continue;
        std::string candidate;
        for (int count = 2; taken.count(candidate = name + " (" + std::to_string(count) + ")");
             ++count) {
        }
        name = candidate;
        taken.insert(name);
        seen.insert(name);
    }
}

} // namespace korvel::midi
