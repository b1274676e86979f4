// A plug-in library whose entry answers nil, as one does when it refuses the
// host; the renderer must report it and write nothing.
extern "C" __attribute__((visibility("default"))) void* VSTPluginMain(void*) { return nullptr; }
