// Kit parsing. A note given twice is an error rather than "last one wins",
// since one of the two sounds would silently never play.
#include "Kit.h"

#include <algorithm>

#include "NumberParsing.h"
#include "ToolError.h"

namespace tamrik::render {

namespace {

KitEntry parseEntry(std::string_view entry, uint8_t defaultPitch) {
    const std::string context = "--kit: '" + std::string(entry) + "'";
    const size_t equals = entry.find('=');
    if (equals == std::string_view::npos)
        throw ToolError(context + ": expected NOTE=PRESET, for example 36=StdBD1");
    KitEntry result;
    result.note = static_cast<uint8_t>(parseWhole(entry.substr(0, equals), context, 0, 127));
    std::string_view name = entry.substr(equals + 1);
    result.pitch = defaultPitch;
    if (const size_t at = name.find('@'); at != std::string_view::npos) {
        result.pitch = static_cast<uint8_t>(parseWhole(name.substr(at + 1), context, 0, 127));
        name = name.substr(0, at);
    }
    result.preset = findFactoryPreset(name);
    if (result.preset == nullptr)
        throw ToolError(context + ": '" + std::string(name) +
                        "' is not a factory preset (see --list-presets)");
    return result;
}

}  // namespace

Kit Kit::parse(std::string_view text, uint8_t defaultPitch) {
    Kit kit;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const KitEntry entry = parseEntry(text.substr(start, comma - start), defaultPitch);
        const bool taken = std::any_of(kit.entries_.begin(), kit.entries_.end(),
                                       [&](const KitEntry& e) { return e.note == entry.note; });
        if (taken)
            throw ToolError("--kit: note " + std::to_string(entry.note) + " is given twice");
        kit.entries_.push_back(entry);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return kit;
}

}  // namespace tamrik::render
