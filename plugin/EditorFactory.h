// Which editor the instrument gets: the plug-in links the editor in, the
// engine does not know about it.
#pragma once

#include "vst/AVstXSynth.h"

namespace tamrik {

AVstXSynth::EditorFactory editorFactory();

}  // namespace tamrik
