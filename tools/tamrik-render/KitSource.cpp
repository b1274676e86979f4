// Values go by the names the Kit reports for its parameters ("3 Out"), the
// same way --param values do, so a user's --param after the kit's wins.
#include "KitSource.h"

#include <filesystem>
#include <map>

#include "ToolError.h"
#include "kit/FactoryKits.h"
#include "kit/KitFile.h"
#include "kit/KitInstrument.h"

namespace tamrik::render {

namespace {

namespace fs = std::filesystem;

kit::KitSnapshot readKitFile(const std::string& path, const kit::KitSnapshot& defaults) {
    try {
        return kit::KitFile::read(path, defaults);
    } catch (const std::runtime_error& e) {
        throw ToolError(e.what());
    }
}

std::string shortName(const kit::KitInstrument& names, int32_t index) {
    char name[16];
    names.parameterShortName(index, name, sizeof name);
    return name;
}

}  // namespace

NamedValues KitSource::values(const Options& options) {
    const kit::KitInstrument names;  // "Init", and the names the plug-in reports
    const kit::KitSnapshot kit = snapshot(options, names.snapshot());
    NamedValues values;
    for (int32_t i = 0; i < names.parameterCount(); ++i) values.emplace_back(shortName(names, i), kit.values[size_t(i)]);
    return values;
}

kit::KitSnapshot KitSource::snapshot(const Options& options, const kit::KitSnapshot& defaults) {
    return options.factoryKit ? kit::factoryKitSnapshot(*options.factoryKit) : readKitFile(options.kitFile, defaults);
}

uint32_t KitSource::pairsInUse(const NamedValues& values) {
    const kit::KitInstrument names;
    std::map<std::string, float> last;
    for (const auto& [name, value] : values) last[name] = value;
    uint32_t used = 0;
    for (int32_t p = 0; p < kit::kPads; ++p) {
        const auto at = [&](kit::PadSetting s) {
            const int32_t index = kit::padIndex(p, kit::kSoundParameters + s);
            const auto found = last.find(shortName(names, index));
            return found != last.end() ? found->second : names.parameterDefault(index);
        };
        if (!kit::switchOn(at(kit::kMute))) used |= 1u << kit::eighthOf(at(kit::kOutput));
    }
    return used;
}

std::string KitSource::libraryPath(const std::string& pluginPath) {
    return (fs::path(pluginPath).parent_path() / "DrumTamrikKit.so").string();
}

}  // namespace tamrik::render
