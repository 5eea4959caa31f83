#include "tools/render/ParameterSetter.h"

#include "effect/DisplayedValue.h"
#include "tools/host/VstHost.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <strings.h>
#include <vector>

namespace {

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameText(const std::string& a, const std::string& b)
{
    return ::strcasecmp(Trim(a).c_str(), Trim(b).c_str()) == 0;
}

// A value the user typed: any number strtod reads, "nan" included, so that it is refused
// as out of range rather than looked up as a name.
bool UserNumber(const std::string& text, double& value)
{
    const std::string trimmed = Trim(text);
    char* end = nullptr;
    value = std::strtod(trimmed.c_str(), &end);
    return end != trimmed.c_str();
}

bool LeadingNumber(const std::string& text, double& value)
{
    return UserNumber(text, value) && !std::isnan(value); // "-inf" dB is a number at the end of a range
}

int FindParameter(VstInstance& instance, const std::string& name, std::string& names)
{
    const int count = instance.Effect()->numParams;
    for (int i = 0; i < count; ++i) {
        const std::string candidate = instance.ParameterName(i);
        if (SameText(candidate, name)) return i;
        names += (names.empty() ? "" : ", ") + candidate;
    }
    return -1;
}

double DisplayedNumber(VstInstance& instance, int index, float normalised, bool& numeric)
{
    instance.SetParameter(index, normalised);
    double value = 0.0;
    numeric = LeadingNumber(instance.ParameterDisplay(index), value);
    return value;
}

// A list or switch: pick the middle of the range of values that displays the text.
std::string SetByText(VstInstance& instance, int index, const std::string& name, const std::string& wanted)
{
    std::vector<std::string> seen;
    const float middle = displayed::MiddleOfMatchingRun([&](float v) {
        instance.SetParameter(index, v);
        const std::string shown = instance.ParameterDisplay(index);
        if (seen.empty() || seen.back() != shown) seen.push_back(shown);
        return SameText(shown, wanted);
    });
    if (middle < 0.0f) {
        std::string choices;
        for (size_t i = 0; i < seen.size() && i < 12; ++i) choices += (i ? ", " : "") + ("\"" + seen[i] + "\"");
        if (seen.size() > 12) choices += ", ...";
        return name + " has no value \"" + wanted + "\" (it shows " + choices + ")";
    }
    instance.SetParameter(index, middle);
    return {};
}

std::string SetByNumber(VstInstance& instance, int index, const std::string& name, double target)
{
    bool numericLow = false, numericHigh = false;
    const double low = DisplayedNumber(instance, index, 0.0f, numericLow);
    const double high = DisplayedNumber(instance, index, 1.0f, numericHigh);
    if (!numericLow || !numericHigh) return {};
    const double smallest = std::min(low, high), largest = std::max(low, high);
    const double slack = 1e-6 * std::max(1.0, std::fabs(largest));
    // Written so that NaN, which compares false with everything, is out of range too.
    if (!(target >= smallest - slack && target <= largest + slack)) {
        char message[160];
        std::snprintf(message, sizeof message, " = %g is out of range (%g to %g)", target, smallest, largest);
        return name + message;
    }
    // The displayed number rises (or falls) with the normalised value.
    const float chosen = displayed::NearestNormalised(
        [&](float v) {
            bool numeric = false;
            return DisplayedNumber(instance, index, v, numeric);
        },
        low, high, target);
    instance.SetParameter(index, chosen);
    return {};
}

} // namespace

std::string SetParameterByDisplay(VstInstance& instance, const std::string& name, const std::string& value)
{
    std::string names;
    const int index = FindParameter(instance, name, names);
    if (index < 0) return "unknown parameter \"" + name + "\" (parameters: " + names + ")";

    // Text that the plug-in itself shows for some value ("ON", "1/8 T", "HOST") is set as such.
    double target = 0.0;
    const bool isNumber = UserNumber(value, target) && Trim(value).find_first_of(" /") == std::string::npos;
    bool numericDisplay = false;
    DisplayedNumber(instance, index, 0.5f, numericDisplay);
    if (isNumber && numericDisplay) return SetByNumber(instance, index, name, target);
    return SetByText(instance, index, name, value);
}
