#include "tools/render/PluginInfo.h"

#include "tools/host/VstHost.h"

#include <iomanip>

void PrintPluginInfo(VstInstance& instance, std::ostream& out)
{
    AEffect* e = instance.Effect();
    const int32_t id = e->uniqueID;
    const char code[5] = {static_cast<char>(id >> 24), static_cast<char>(id >> 16), static_cast<char>(id >> 8),
                          static_cast<char>(id), 0};
    out << "Effect:    " << instance.StringOf(effGetEffectName) << "\n"
        << "Vendor:    " << instance.StringOf(effGetVendorString) << " (version "
        << instance.Dispatch(effGetVendorVersion) << ")\n"
        << "Product:   " << instance.StringOf(effGetProductString) << "\n"
        << "Unique ID: " << code << "\n"
        << "Programs:  " << e->numPrograms << "   Parameters: " << e->numParams << "   Inputs: " << e->numInputs
        << "   Outputs: " << e->numOutputs << "   Flags: " << e->flags << "   VST version: "
        << instance.Dispatch(effGetVstVersion) << "\n"
        << "Program:   " << instance.Dispatch(effGetProgram) << " \"" << instance.ProgramName() << "\"\n\n"
        << std::left << std::setw(4) << "#" << std::setw(14) << "Name" << std::setw(12) << "Value"
        << std::setw(8) << "Unit" << "Normalised\n";
    for (int32_t i = 0; i < e->numParams; ++i) {
        out << std::left << std::setw(4) << i << std::setw(14) << instance.ParameterName(i) << std::setw(12)
            << instance.ParameterDisplay(i) << std::setw(8) << instance.ParameterLabel(i) << instance.GetParameter(i)
            << "\n";
    }
}
