// Runs every visual case on our runtime, headless, and compares its probes
// with the reference results a real Direct3D 8 gave (tests/data/visual,
// made by tools/visual-references.sh) and with the colours worked out by
// hand. A case listed as a known difference (tests/data/visual/<group>.known.txt)
// is held to the hand-worked colours only. A failing case leaves its image in <build>/visual/.
#include "png_write.h"
#include "reference_data.h"
#include "visual_case.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>

namespace {

using zep::visual::Case;
using zep::visual::CaseResult;
using zep::visual::channelDistance;
using zep::visual::Probe;

const std::string kDataFolder = std::string(ZEP_SOURCE_DIR) + "/tests/data/visual/";

struct Stored {
    zep::visual::References references;
    std::map<std::string, std::string> readErrors;  // group -> why its file did not load
    std::map<std::string, std::string> known;
};

const Stored& stored() {
    static const Stored data = [] {
        Stored s;
        std::set<std::string> groups;
        for (const Case& c : zep::visual::allCases()) groups.insert(c.group);
        for (const std::string& group : groups) {
            std::string error;
            if (!zep::visual::readReferences(kDataFolder + group + ".txt", s.references, &error))
                s.readErrors[group] = error;
            zep::visual::readKnownDifferences(kDataFolder + group + ".known.txt", s.known);
        }
        return s;
    }();
    return data;
}

std::string hex(D3DCOLOR rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "%06x", unsigned(rgb & 0xFFFFFFu));
    return text;
}

void keepImageOfFailure(const Case& c, const CaseResult& result) {
    const std::string folder = std::string(ZEP_BINARY_DIR) + "/visual";
    mkdir(folder.c_str(), 0755);
    const std::string path = folder + "/" + c.name + ".png";
    if (zep::visual::writePng(path, result.image)) std::printf("image of the failed case: %s\n", path.c_str());
}

class VisualCase : public testing::TestWithParam<const Case*> {};

}  // namespace

namespace zep::visual {
// Test names already say which case failed; no pointer in the output.
void PrintTo(const Case* c, std::ostream* out) { *out << c->name; }
}  // namespace zep::visual

namespace {

TEST_P(VisualCase, MatchesReference) {
    const Case& c = *GetParam();
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DPRESENT_PARAMETERS pp = zep::visual::presentParameters(c.options, nullptr);
    IDirect3DDevice8* device = nullptr;
    const HRESULT created = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, c.options.behaviour, &pp,
                                              &device);
    if (FAILED(created) || !device) {
        d3d->Release();
        GTEST_SKIP() << "no headless Direct3D 8 device: CreateDevice failed";
    }
    const CaseResult result = zep::visual::runCase(device, c);
    device->Release();
    d3d->Release();
    ASSERT_EQ(result.error, "");

    const Stored& data = stored();
    const auto known = data.known.find(c.name);
    const bool knownDifference = known != data.known.end();
    if (!result.skipped.empty()) {
        // Something the runtime does not offer; the reference must agree or
        // the case must be listed with its reason.
        const auto ref = data.references.find(c.name);
        if (!knownDifference && (ref == data.references.end() || ref->second.skipped.empty()))
            ADD_FAILURE() << "our runtime skipped the case (" << result.skipped << ") but the reference ran it";
        GTEST_SKIP() << result.skipped;
    }

    bool failed = false;
    for (const Probe& p : result.probes) {
        if (!p.hasExpected) continue;
        const int distance = channelDistance(p.actual, p.expected);
        EXPECT_LE(distance, p.tolerance) << "(" << p.x << ", " << p.y << ") is " << hex(p.actual)
                                         << ", worked out by hand " << hex(p.expected);
        failed |= distance > p.tolerance;
    }

    if (knownDifference) {
        EXPECT_NE(known->second, "") << "a known difference needs its reason";
        bool anyExpected = false;
        for (const Probe& p : result.probes) anyExpected |= p.hasExpected;
        EXPECT_TRUE(anyExpected) << "a known difference is held to hand-worked colours, and this case has none";
    } else if (data.readErrors.count(c.group)) {
        ADD_FAILURE() << data.readErrors.at(c.group) << " (run tools/visual-references.sh)";
        failed = true;
    } else {
        const auto ref = data.references.find(c.name);
        if (ref == data.references.end()) {
            ADD_FAILURE() << "no reference results for this case (run tools/visual-references.sh)";
            failed = true;
        } else if (!ref->second.error.empty() || !ref->second.skipped.empty()) {
            ADD_FAILURE() << "the reference did not run this case (" << ref->second.error << ref->second.skipped
                          << "): list it as a known difference with its reason";
            failed = true;
        } else if (ref->second.probes.size() != result.probes.size()) {
            ADD_FAILURE() << "the reference has " << ref->second.probes.size() << " probes, the case "
                          << result.probes.size() << " (run tools/visual-references.sh)";
            failed = true;
        } else {
            for (size_t i = 0; i < result.probes.size(); ++i) {
                const Probe& p = result.probes[i];
                const zep::visual::ReferenceProbe& r = ref->second.probes[i];
                ASSERT_TRUE(p.x == r.x && p.y == r.y) << "probe " << i << " moved (run tools/visual-references.sh)";
                const int distance = channelDistance(p.actual, r.rgb);
                EXPECT_LE(distance, p.tolerance) << "(" << p.x << ", " << p.y << ") is " << hex(p.actual)
                                                 << ", the reference drew " << hex(r.rgb);
                failed |= distance > p.tolerance;
            }
        }
    }
    if (failed) keepImageOfFailure(c, result);
}

std::vector<const Case*> casePointers() {
    std::vector<const Case*> pointers;
    for (const Case& c : zep::visual::allCases()) pointers.push_back(&c);
    return pointers;
}

INSTANTIATE_TEST_SUITE_P(Direct3D8, VisualCase, testing::ValuesIn(casePointers()),
                         [](const testing::TestParamInfo<const Case*>& info) { return info.param->name; });

}  // namespace
