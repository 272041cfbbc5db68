#include "reference_data.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace zep::visual {

namespace {

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

bool readReferences(const std::string& path, References& into, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        if (error) *error = "cannot read " + path;
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = trimmed(line);
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name, first;
        fields >> name >> first;
        ReferenceCase& entry = into[name];
        if (first == "skipped" || first == "error") {
            std::string rest;
            std::getline(fields, rest);
            (first == "skipped" ? entry.skipped : entry.error) = trimmed(rest);
            continue;
        }
        ReferenceProbe probe;
        std::string rgb;
        fields >> probe.y >> rgb;
        char* end = nullptr;
        probe.x = int(std::strtol(first.c_str(), &end, 10));
        const bool xOk = end && *end == '\0' && !first.empty();
        const unsigned long value = std::strtoul(rgb.c_str(), &end, 16);
        if (!fields || !xOk || rgb.size() != 6 || !end || *end != '\0') {
            if (error) *error = path + ":" + std::to_string(number) + ": cannot read \"" + line + "\"";
            return false;
        }
        probe.rgb = D3DCOLOR(value);
        entry.probes.push_back(probe);
    }
    return true;
}

std::string formatReferences(const std::string& header, const std::vector<const Case*>& cases,
                             const std::vector<CaseResult>& results) {
    std::string text = header;
    for (size_t i = 0; i < cases.size() && i < results.size(); ++i) {
        const std::string& name = cases[i]->name;
        const CaseResult& r = results[i];
        if (!r.error.empty()) {
            text += name + " error " + r.error + "\n";
            continue;
        }
        if (!r.skipped.empty()) {
            text += name + " skipped " + r.skipped + "\n";
            continue;
        }
        for (const Probe& p : r.probes) {
            char line[64];
            std::snprintf(line, sizeof line, " %d %d %06x\n", p.x, p.y, unsigned(p.actual & 0x00FFFFFFu));
            text += name + line;
        }
    }
    return text;
}

void readKnownDifferences(const std::string& path, std::map<std::string, std::string>& known) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#') continue;
        const size_t gap = line.find_first_of(" \t");
        if (gap == std::string::npos)
            known[line] = "";
        else
            known[line.substr(0, gap)] = trimmed(line.substr(gap));
    }
}

}  // namespace zep::visual
