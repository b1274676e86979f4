// A strict reader of the SFZ files a kit export writes: headers alone on
// their lines, one key=value opcode per line from the opcodes we write (no
// others, none twice under one header), integers where SFZ wants them, and
// every region with a sample. Regions come out with what they inherit from
// their <global> and <group> headers.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tamrik::test {

struct SfzRegion {
    std::map<std::string, std::string> opcodes;
    int line = 0;
    int number(const std::string& key) const {
        const auto found = opcodes.find(key);
        return found == opcodes.end() ? -1 : std::atoi(found->second.c_str());
    }
    bool has(const std::string& key) const { return opcodes.count(key) != 0; }
};

struct Sfz {
    std::string problem;  // empty when the file is well formed
    std::vector<SfzRegion> regions;
};

inline Sfz readSfz(const std::filesystem::path& path) {
    static const std::set<std::string> kIntegers = {"lokey", "hikey", "pitch_keycenter", "lovel", "hivel",
                                                    "amp_veltrack", "group", "off_by"};
    static const std::set<std::string> kTexts = {"sample", "loop_mode", "off_mode", "off_time"};
    static const std::set<std::string> kHeaders = {"<control>", "<global>", "<group>", "<region>"};
    Sfz sfz;
    std::ifstream in(path, std::ios::binary);
    if (!in) return sfz.problem = "cannot open " + path.string(), sfz;
    std::map<std::string, std::string> global, group, *current = nullptr;
    std::string header, text;
    const auto fail = [&](int line, const std::string& why) {
        sfz.problem = "line " + std::to_string(line) + ": " + why;
        return sfz;
    };
    const auto closeRegion = [&] {
        if (header != "<region>") return;
        if (!sfz.regions.back().has("sample")) sfz.problem = "a region without a sample";
        std::map<std::string, std::string> merged = global;
        for (const auto& [k, v] : group) merged[k] = v;
        for (const auto& [k, v] : sfz.regions.back().opcodes) merged[k] = v;
        sfz.regions.back().opcodes = merged;
    };
    for (int line = 1; std::getline(in, text); ++line) {
        if (text.find('\r') != std::string::npos || text.find('\t') != std::string::npos)
            return fail(line, "a carriage return or tab");
        if (text.empty() || text.rfind("//", 0) == 0) continue;
        if (text.front() == '<') {
            if (!kHeaders.count(text)) return fail(line, "unknown header " + text);
            closeRegion();
            if (!sfz.problem.empty()) return fail(line, sfz.problem);
            header = text;
            if (header == "<global>") current = &global;
            if (header == "<group>") (group = {}, current = &group);
            if (header == "<control>") current = nullptr;
            if (header == "<region>") {
                sfz.regions.push_back({{}, line});
                current = &sfz.regions.back().opcodes;
            }
            continue;
        }
        const size_t equals = text.find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
            return fail(line, "not key=value: " + text);
        const std::string key = text.substr(0, equals), value = text.substr(equals + 1);
        if (!current) return fail(line, "an opcode outside <global>, <group> or <region>");
        if (!kIntegers.count(key) && !kTexts.count(key)) return fail(line, "unknown opcode " + key);
        if (current->count(key)) return fail(line, key + " twice");
        if (kIntegers.count(key) && value.find_first_not_of("-0123456789") != std::string::npos)
            return fail(line, key + " is not an integer: " + value);
        if (key != "sample" && value.find(' ') != std::string::npos) return fail(line, "a space in " + key);
        (*current)[key] = value;
    }
    closeRegion();
    return sfz;
}

}  // namespace tamrik::test
