// The plug-in carries the editor: hosts get the panel in their window.
#include "editor/GrEditor.h"
#include "plugin/EditorFactory.h"

namespace tamrik {

AVstXSynth::EditorFactory editorFactory() { return &createGrEditor; }

}  // namespace tamrik
