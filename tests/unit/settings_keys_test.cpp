#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

#include "settings/ini_file.h"
#include "settings/settings_keys.h"

using namespace tintora;

namespace tintora {

void PrintTo(const StoredOptions& o, std::ostream* out)
{
    *out << "{onTop " << o.alwaysOnTop << ", hex " << o.hexadecimal << ", fractions " << o.fractions << ", magnifier "
         << o.magnifierShown << ", zoom " << o.zoom << ", slow " << o.slowPointer << ", curves " << o.lutCurvesShown
         << "}";
}

} // namespace tintora

// Each option has a key of its own that reading and writing agree on: set
// off what a file without keys gives, alone or with all the others, it is
// written and read back as it was, into an empty file and over one that
// holds other values, under either decimal separator.
TEST(SettingsKeys, everyOptionComesBackFromTheFile)
{
    const StoredOptions defaults = readStoredOptions(IniDocument(), ".");
    const std::function<void(StoredOptions&)> changes[] = {
        [](StoredOptions& o) { o.alwaysOnTop = true; },    [](StoredOptions& o) { o.hexadecimal = true; },
        [](StoredOptions& o) { o.fractions = true; },      [](StoredOptions& o) { o.magnifierShown = true; },
        [](StoredOptions& o) { o.zoom = 0.5; },            [](StoredOptions& o) { o.slowPointer = true; },
        [](StoredOptions& o) { o.lutCurvesShown = true; },
    };
    StoredOptions all = defaults;
    std::vector<StoredOptions> cases{defaults};
    for (const auto& change : changes) {
        StoredOptions one = defaults;
        change(one);
        EXPECT_NE(one, defaults) << "a change that changes nothing";
        cases.push_back(one);
        change(all);
    }
    cases.push_back(all);

    for (const char* separator : {".", ","}) {
        IniDocument full;
        writeStoredOptions(full, IniDocument(), all, separator);
        for (const StoredOptions& written : cases) {
            for (IniDocument ini : {IniDocument(), full}) {
                // Read at the start and untouched on disk since.
                const IniDocument loaded = ini;
                writeStoredOptions(ini, loaded, written, separator);
                EXPECT_EQ(readStoredOptions(IniDocument::parse(ini.text()), separator), written)
                    << "under '" << separator << "' from\n" << ini.text();
            }
        }
    }
}
