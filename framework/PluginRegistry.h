// The process-wide state of a plug-in library: its descriptor and its template instance.
#pragma once

namespace ff {

class PluginDescriptor;

void RegisterDescriptor(PluginDescriptor* descriptor);
// At unload: forgets the descriptor and releases the template instance if the host left it.
void UnregisterDescriptor(PluginDescriptor* descriptor);

}  // namespace ff
