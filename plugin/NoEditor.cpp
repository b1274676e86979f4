// Until the editor is linked in, the instrument has none.
#include "plugin/EditorFactory.h"

namespace tamrik {

AVstXSynth::EditorFactory editorFactory() { return nullptr; }

}  // namespace tamrik
