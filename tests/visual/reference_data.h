// The stored reference results: per group of cases, one text file of probed
// pixels as a real Direct3D 8 drew them, and one file of known differences
// between that reference and our runtime, each with its reason.
//
// tests/data/visual/<group>.txt, one line per probe or per case that did
// not run:
//
//   # comment
//   stages_modulate 32 32 00ff00
//   formats_bump skipped no D3DFMT_Q8W8V8U8 textures
//   targets_copy error CopyRects failed: 0x8876086C
//
// tests/data/visual/<group>.known.txt:
//
//   stages_premodulate  The reference ... reason in words
#pragma once

#include "visual_case.h"

#include <map>
#include <string>
#include <vector>

namespace zep::visual {

struct ReferenceProbe {
    int x = 0, y = 0;
    D3DCOLOR rgb = 0;
};

struct ReferenceCase {
    std::vector<ReferenceProbe> probes;
    std::string skipped;
    std::string error;
};

using References = std::map<std::string, ReferenceCase>;

// Adds the cases of one reference file; false (with the reason) when the
// file cannot be read or a line does not parse.
bool readReferences(const std::string& path, References& into, std::string* error);

// The lines of one group's reference file for these results, in case order.
std::string formatReferences(const std::string& header, const std::vector<const Case*>& cases,
                             const std::vector<CaseResult>& results);

// Adds case name -> reason from one known-differences file; a missing
// file adds nothing.
void readKnownDifferences(const std::string& path, std::map<std::string, std::string>& into);

}  // namespace zep::visual
