#pragma once
// Sets a plug-in's parameter from its name and a value as the plug-in displays it, using
// only the plug-in's own display texts (works for any VST 2.4 plug-in).
#include <string>

class VstInstance;

// Returns an empty string on success, else a message for the user.
std::string SetParameterByDisplay(VstInstance& instance, const std::string& name, const std::string& value);
