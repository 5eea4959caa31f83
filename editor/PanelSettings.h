#pragma once
// The panel's own settings, kept apart from the bank in a small text file of the
// preferences folder ("Panel.conf"): for now the panel size the user chose.
//
//   # Kestrune panel
//   size=200
//
// Only a whole file of this form counts. Anything else in its place (empty, cut short,
// foreign, too long, a folder) counts as no choice and is left as it is until the next
// choice, which first moves it to "Panel.conf.damaged" so that nothing is lost.
#include <string>

class PanelSettings {
public:
    static constexpr const char* kFileName = "Panel.conf";

    // folder ends in '/'.
    explicit PanelSettings(std::string folder);
    // In the user's preferences folder ($XDG_CONFIG_HOME/Kestrune/).
    static PanelSettings InPreferences();

    // The size chosen last, in percent (100, 150 or 200), or 0 when none was.
    int ChosenPercent() const;
    // Remembers a size (100, 150 or 200), replacing the file whole. False when the size is
    // not one of those or the file cannot be written.
    bool ChoosePercent(int percent);

    std::string Path() const { return m_folder + kFileName; }

private:
    // The size in the file's text, or 0 when the text is not a whole settings file.
    static int PercentInText(const std::string& text);
    // The file's text; false when there is no regular file or it is too long to be ours.
    bool ReadText(std::string& text) const;

    std::string m_folder;
};
