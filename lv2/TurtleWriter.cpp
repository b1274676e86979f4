// tamrik-lv2-ttl: writes the bundle's Turtle (manifest.ttl, DrumTamrik.ttl,
// presets.ttl) into a folder, from the instrument's parameter facts and the
// factory preset table, so the ports and presets hosts see cannot drift from
// what the instrument does; with --kit, DrumTamrik Kit's (manifest.ttl,
// DrumTamrikKit.ttl) from the Kit's own parameter facts. CMake runs it at
// every build of the bundles.
//
//   tamrik-lv2-ttl OUTDIR DSP_BINARY UI_BINARY VERSION
//   tamrik-lv2-ttl --kit OUTDIR DSP_BINARY VERSION
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "synth/FactoryPresets.h"
#include "kit/KitInstrument.h"
#include "lv2/Lv2Ports.h"
#include "synth/DrumTamrikInstrument.h"
#include "synth/ParameterTable.h"

namespace {

using namespace tamrik;
using tamrik::lv2::portSymbol;

// The shortest decimal that reads back as the same float, so a host reading
// the Turtle sends the bits the VST build's tables hold.
std::string decimal(float v) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    std::string s(text, end);
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    if (static_cast<float>(std::strtod(s.c_str(), nullptr)) != v) {
        std::fprintf(stderr, "tamrik-lv2-ttl: %s does not read back as its float\n", s.c_str());
        std::exit(1);
    }
    return s;
}

const char* const kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string uri(const std::string& u) { return "<" + u + ">"; }

std::string presetUri(const FactoryPreset& p) {
    return std::string(lv2::kPluginUri) + "#preset-" + std::string(p.name);
}

std::string manifest(const std::string& dsp, const std::string& ui) {
    std::ostringstream t;
    t << kPrefixes;
    t << uri(lv2::kPluginUri) << "\n    a lv2:Plugin, lv2:InstrumentPlugin ;\n    lv2:binary <" << dsp
      << "> ;\n    rdfs:seeAlso <DrumTamrik.ttl> .\n\n";
    t << uri(lv2::kUiUri) << "\n    a ui:X11UI ;\n    ui:binary <" << ui
      << "> ;\n    rdfs:seeAlso <DrumTamrik.ttl> .\n";
    for (const FactoryPreset& p : kFactoryPresets)
        t << "\n" << uri(presetUri(p)) << "\n    a pset:Preset ;\n    lv2:appliesTo "
          << uri(lv2::kPluginUri) << " ;\n    rdfs:seeAlso <presets.ttl> .\n";
    return t.str();
}

// A parameter as a control port, its facts as the instrument gives them: a
// switch (one step) is a toggle, a parameter of more steps an enumeration
// of its choices by name, each at the value k / steps that the instrument's
// own panel sends for it.
std::string controlPort(const Instrument& in, int32_t index, const std::string& symbol) {
    char name[64];
    in.parameterName(index, name, sizeof name);
    std::ostringstream t;
    t << "[\n        a lv2:InputPort, lv2:ControlPort ;\n        lv2:index " << index
      << " ;\n        lv2:symbol \"" << symbol << "\" ;\n        lv2:name \"" << name
      << "\" ;\n        lv2:default " << decimal(in.parameterDefault(index))
      << " ;\n        lv2:minimum 0.0 ;\n        lv2:maximum 1.0";
    if (const int32_t steps = in.parameterSteps(index); steps > 0) {
        t << " ;\n        lv2:portProperty " << (steps == 1 ? "lv2:toggled" : "lv2:enumeration");
        for (int32_t k = 0; k <= steps; ++k) {
            char choice[64];
            in.choiceName(index, k, choice, sizeof choice);
            t << " ;\n        lv2:scalePoint [ rdfs:label \"" << choice << "\" ; rdf:value "
              << decimal(float(k) / float(steps)) << " ]";
        }
    }
    t << "\n    ]";
    return t.str();
}

std::string description(int major, int minor, int micro) {
    std::ostringstream t;
    t << kPrefixes;
    t << uri(lv2::kPluginUri) << "\n    a lv2:Plugin, lv2:InstrumentPlugin, doap:Project ;\n"
      << "    doap:name \"DrumTamrik\" ;\n    doap:maintainer [ foaf:name \"Quenmar\" ] ;\n"
      << "    doap:release [ doap:revision \"" << major << "." << minor << "." << micro << "\" ] ;\n"
      << "    lv2:minorVersion " << minor << " ;\n    lv2:microVersion " << micro << " ;\n"
      << "    lv2:requiredFeature urid:map ;\n"
      << "    lv2:optionalFeature lv2:hardRTCapable, opts:options, bufsz:boundedBlockLength ;\n"
      << "    opts:supportedOption bufsz:maxBlockLength, bufsz:nominalBlockLength ;\n"
      << "    ui:ui " << uri(lv2::kUiUri) << " ;\n    lv2:port ";
    const DrumTamrikInstrument synth;
    for (int32_t i = 0; i < synth.parameterCount(); ++i) t << controlPort(synth, i, portSymbol(i)) << " , ";
    t << "[\n        a lv2:InputPort, atom:AtomPort ;\n        atom:bufferType atom:Sequence ;\n"
      << "        atom:supports midi:MidiEvent ;\n        lv2:designation lv2:control ;\n"
      << "        lv2:index " << lv2::kMidiPort
      << " ;\n        lv2:symbol \"midi_in\" ;\n        lv2:name \"MIDI In\"\n    ]";
    for (uint32_t port : {lv2::kLeftPort, lv2::kRightPort}) {
        const uint32_t n = port - lv2::kLeftPort + 1;
        t << " , [\n        a lv2:OutputPort, lv2:AudioPort ;\n        lv2:index " << port
          << " ;\n        lv2:symbol \"out_" << n << "\" ;\n        lv2:name \"Tamrik " << n
          << "\"\n    ]";
    }
    t << " .\n\n" << uri(lv2::kUiUri) << "\n    a ui:X11UI ;\n"
      << "    lv2:requiredFeature ui:idleInterface, ui:parent ;\n"
      // The hit row's sound is the instance's; without it the rest works.
      << "    lv2:optionalFeature ui:resize, ui:noUserResize, <http://lv2plug.in/ns/ext/instance-access>,\n"
      << "        <http://lv2plug.in/ns/ext/data-access> ;\n"
      << "    lv2:extensionData ui:idleInterface .\n";
    return t.str();
}

std::string presets() {
    std::ostringstream t;
    t << kPrefixes;
    for (const FactoryPreset& p : kFactoryPresets) {
        t << uri(presetUri(p)) << "\n    a pset:Preset ;\n    lv2:appliesTo " << uri(lv2::kPluginUri)
          << " ;\n    rdfs:label \"" << p.name << "\"";
        for (int32_t i = 0; i < kNumParameters; ++i)
            if (const auto& value = p.values[size_t(i)])
                t << " ;\n    lv2:port [ lv2:symbol \"" << portSymbol(i) << "\" ; pset:value "
                  << decimal(*value) << " ]";
        t << " .\n\n";
    }
    return t.str();
}

std::string kitManifest(const std::string& dsp, const std::string& ui) {
    std::ostringstream t;
    t << kPrefixes;
    t << uri(lv2::kKitUri) << "\n    a lv2:Plugin, lv2:InstrumentPlugin ;\n    lv2:binary <" << dsp
      << "> ;\n    rdfs:seeAlso <DrumTamrikKit.ttl> .\n\n";
    t << uri(lv2::kKitUiUri) << "\n    a ui:X11UI ;\n    ui:binary <" << ui
      << "> ;\n    rdfs:seeAlso <DrumTamrikKit.ttl> .\n";
    return t.str();
}

// Every parameter a control port, as the instrument says (its stepped
// settings with their choices: keys and pitches by note, outputs, chokes,
// the channel). Then MIDI, then the 18 outputs, each pair a stereo group.
std::string kitDescription(int major, int minor, int micro) {
    const kit::KitInstrument kit;
    std::ostringstream t;
    t << kPrefixes;
    const std::string base = lv2::kKitUri;
    t << uri(base) << "\n    a lv2:Plugin, lv2:InstrumentPlugin, doap:Project ;\n"
      << "    doap:name \"DrumTamrik Kit\" ;\n    doap:maintainer [ foaf:name \"Quenmar\" ] ;\n"
      << "    doap:release [ doap:revision \"" << major << "." << minor << "." << micro << "\" ] ;\n"
      << "    lv2:minorVersion " << minor << " ;\n    lv2:microVersion " << micro << " ;\n"
      << "    lv2:requiredFeature urid:map ;\n    lv2:optionalFeature lv2:hardRTCapable ;\n"
      << "    lv2:extensionData state:interface ;\n    ui:ui " << uri(lv2::kKitUiUri) << " ;\n    lv2:port ";
    for (int32_t i = 0; i < kit.parameterCount(); ++i) t << controlPort(kit, i, lv2::kitPortSymbol(i)) << " , ";
    const uint32_t midi = uint32_t(kit.parameterCount());
    t << "[\n        a lv2:InputPort, atom:AtomPort ;\n        atom:bufferType atom:Sequence ;\n"
      << "        atom:supports midi:MidiEvent ;\n        lv2:designation lv2:control ;\n"
      << "        lv2:index " << midi << " ;\n        lv2:symbol \"midi_in\" ;\n        lv2:name \"MIDI In\"\n    ]";
    for (int32_t c = 0; c < kit.outputCount(); ++c) {
        char name[32];
        kit.outputName(c, name, sizeof name);
        const std::string group = c < 2 ? "main" : "aux" + std::to_string(c / 2);
        t << " , [\n        a lv2:OutputPort, lv2:AudioPort ;\n        lv2:index " << midi + 1 + uint32_t(c)
          << " ;\n        lv2:symbol \"" << group << (c % 2 ? "_r" : "_l") << "\" ;\n        lv2:name \""
          << name << "\" ;\n        pg:group " << uri(base + "#" + group) << " ;\n        lv2:designation "
          << (c % 2 ? "pg:right" : "pg:left") << "\n    ]";
    }
    t << " .\n";
    for (int32_t pair = 0; pair < kit.outputCount() / 2; ++pair) {
        const std::string group = pair == 0 ? "main" : "aux" + std::to_string(pair);
        const std::string label = pair == 0 ? "Main" : "Aux " + std::to_string(pair);
        t << "\n" << uri(base + "#" + group) << "\n    a pg:StereoGroup, pg:OutputGroup ;\n"
          << "    lv2:symbol \"" << group << "\" ;\n    rdfs:label \"" << label << "\" .\n";
    }
    // The panel's names, auditions, lights and Learn need the instrument
    // itself, in the host's process.
    t << "\n" << uri(lv2::kKitUiUri) << "\n    a ui:X11UI ;\n"
      << "    lv2:requiredFeature ui:idleInterface, ui:parent, <http://lv2plug.in/ns/ext/instance-access>,\n"
      << "        <http://lv2plug.in/ns/ext/data-access> ;\n"
      << "    lv2:optionalFeature ui:resize, ui:noUserResize ;\n"
      << "    lv2:extensionData ui:idleInterface .\n";
    return t.str();
}

void write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out.flush()) {
        std::fprintf(stderr, "tamrik-lv2-ttl: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int major = 0, minor = 0, micro = 0;
    if (argc == 6 && std::string(argv[1]) == "--kit" &&
        std::sscanf(argv[5], "%d.%d.%d", &major, &minor, &micro) == 3) {
        const std::string dir = argv[2];
        write(dir + "/manifest.ttl", kitManifest(argv[3], argv[4]));
        write(dir + "/DrumTamrikKit.ttl", kitDescription(major, minor, micro));
        return 0;
    }
    if (argc != 5 || std::sscanf(argv[4], "%d.%d.%d", &major, &minor, &micro) != 3) {
        std::fprintf(stderr, "usage: tamrik-lv2-ttl OUTDIR DSP_BINARY UI_BINARY VERSION\n"
                             "       tamrik-lv2-ttl --kit OUTDIR DSP_BINARY UI_BINARY VERSION\n");
        return 2;
    }
    const std::string dir = argv[1];
    write(dir + "/manifest.ttl", manifest(argv[2], argv[3]));
    write(dir + "/DrumTamrik.ttl", description(major, minor, micro));
    write(dir + "/presets.ttl", presets());
    return 0;
}
