// A library without a panel of its own: hosts show their generic editor.
#include "plugin/EditorFactory.h"

namespace tamrik {

AVstXSynth::EditorFactory editorFactory() { return nullptr; }

}  // namespace tamrik
