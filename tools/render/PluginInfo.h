#pragma once
#include <ostream>

class VstInstance;

// Prints what a host reads of a plug-in: identity, record, parameters with their displays.
void PrintPluginInfo(VstInstance& instance, std::ostream& out);
