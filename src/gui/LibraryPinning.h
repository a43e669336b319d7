// Keeps the drawing libraries loaded for the life of the process once a plug-in has used
// them. Hosts load and unload plug-ins many times (scanning, projects); pixman builds its
// tables once per load and cairo and fontconfig keep caches in globals, so unloading them
// with the plug-in would leak those on every load and run their set-up again each time.
#pragma once

namespace vexo {

// Marks the libraries already loaded with the plug-in as never to be unloaded. Once per
// process; any thread.
void pinGraphicsLibraries();

}  // namespace vexo
