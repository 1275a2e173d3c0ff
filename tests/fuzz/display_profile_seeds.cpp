// Writes the display profile target's seeds into the folder its argument
// names: profiles made with Little CMS (tests/support/test_profiles.h) with
// every form of vcgt, and profiles a display cannot use.

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "support/test_profiles.h"

using namespace tintora::test;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const auto curve = [](int channel, double x) { return 0.02 + 0.95 * std::pow(x, 0.8 + 0.1 * channel); };
    const auto withVcgt = [](std::vector<std::uint8_t> tag) {
        TestProfile profile;
        profile.rawVcgt = std::move(tag);
        return displayProfileBytes(profile);
    };
    TestProfile version4;
    version4.version = 4.3;
    version4.description = L"\x00c9" L"cran";
    TestProfile lcmsTable;
    lcmsTable.vcgtCurve = curve;
    TestProfile lcmsFormula;
    lcmsFormula.vcgtFormula = {{2.2, 0, 1}, {1.0, 0.1, 0.9}, {0.5, 0, 0.8}};

    const std::pair<const char*, ProfileBytes> seeds[] = {
        {"display_v2", displayProfileBytes()},
        {"display_v4", displayProfileBytes(version4)},
        {"vcgt_lcms_table", displayProfileBytes(lcmsTable)},
        {"vcgt_lcms_formula", displayProfileBytes(lcmsFormula)},
        {"vcgt_256_one_byte", withVcgt(vcgtTableTag(256, 1, curve))},
        {"vcgt_16_two_bytes", withVcgt(vcgtTableTag(16, 2, curve))},
        {"vcgt_1024_two_bytes", withVcgt(vcgtTableTag(1024, 2, curve))},
        {"vcgt_formula", withVcgt(vcgtFormulaTag({VcgtFormula{2.5, 0.0625, 0.875}, {1, 0, 0.5}, {0.75, 0.125, 1}}))},
        {"cmyk", cmykProfileBytes()},
        {"grey", greyProfileBytes()},
        {"rgb_device_link", rgbDeviceLinkBytes()},
        {"rgb_without_colorants", rgbProfileWithoutColorantsBytes()},
    };
    for (const auto& [name, bytes] : seeds) {
        if (bytes.empty() || !writeProfileFile(std::string(argv[1]) + "/" + name, bytes)) {
            std::fprintf(stderr, "%s: cannot make the seed %s\n", argv[0], name);
            return 1;
        }
    }
    return 0;
}
