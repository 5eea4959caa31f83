#include "toolkit/InterfaceFile.h"

#include <fstream>
#include <sstream>

namespace VSTGUI {
namespace {

constexpr CCoord kMaxSide = 4096;

// Splits a line into words; "double quoted" words may hold spaces.
bool splitWords(const std::string& line, std::vector<std::string>& words)
{
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
        } else if (line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            if (close == std::string::npos)
                return false;
            words.push_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            size_t end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
                ++end;
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

bool number(const std::string& word, CCoord& value)
{
    if (word.empty() || word.size() > 6)
        return false;
    value = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value <= kMaxSide;
}

std::string optional(const std::string& word) { return word == "-" ? std::string() : word; }

} // namespace

bool InterfaceFile::parse(const std::string& text, std::string& error)
{
    windowTitle.clear();
    windowWidth = windowHeight = 0;
    items.clear();
    std::istringstream lines(text);
    std::string line;
    std::vector<std::string> words;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (!splitWords(line, words)) {
            error = where + "unterminated quote";
            return false;
        }
        if (words.empty() || words[0][0] == '#')
            continue;
        if (words[0] == "window") {
            if (words.size() != 4 || !number(words[2], windowWidth) || !number(words[3], windowHeight)) {
                error = where + "expected: window \"title\" width height";
                return false;
            }
            windowTitle = words[1];
            continue;
        }
        const std::string& kind = words[0];
        if (kind != "label" && kind != "popup" && kind != "field" && kind != "button") {
            error = where + "unknown element '" + kind + "'";
            return false;
        }
        InterfaceElement element;
        CCoord left = 0, top = 0, width = 0, height = 0;
        if (words.size() != 8 || !number(words[2], left) || !number(words[3], top) || !number(words[4], width)
            || !number(words[5], height)) {
            error = where + "expected: kind name left top width height \"title\" action";
            return false;
        }
        element.kind = kind;
        element.name = optional(words[1]);
        element.rect = CRect0(left, top, left + width, top + height);
        element.title = words[6];
        element.action = optional(words[7]);
        items.push_back(element);
    }
    if (windowWidth <= 0 || windowHeight <= 0) {
        error = "no window line";
        return false;
    }
    return true;
}

bool InterfaceFile::load(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), error);
}

const InterfaceElement* InterfaceFile::outlet(const std::string& name) const
{
    for (const InterfaceElement& element : items)
        if (!name.empty() && element.name == name)
            return &element;
    return nullptr;
}

const InterfaceElement* InterfaceFile::withAction(const std::string& action) const
{
    for (const InterfaceElement& element : items)
        if (!action.empty() && element.action == action)
            return &element;
    return nullptr;
}

} // namespace VSTGUI
