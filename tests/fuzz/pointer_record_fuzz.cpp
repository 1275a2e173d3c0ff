// The pointer record read from any bytes (a state file another process may
// have left half-written, damaged or made up). Whatever reads as a record
// writes back as the same record, in the very bytes read when it was in
// today's form; and giving its settings back follows the rule.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/pointer_record.h"

using namespace tintora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto record = parsePointerRecord(input);
    if (!record) return 0;

    const std::string text = pointerRecordText(*record);
    FUZZ_CHECK(parsePointerRecord(text) == record);
    if (input.starts_with("tintora pointer record ")) FUZZ_CHECK(text == input);

    // With no other copy about, a value the record wrote gives the original
    // back (unless it is the original), and any other value nothing.
    const std::vector<OtherCopy> ended{{*record, false}};
    for (const ChangedSetting& s : record->settings) {
        FUZZ_CHECK(!s.written.empty() && s.written.size() <= 2);
        for (const PointerValue& w : s.written) {
            FUZZ_CHECK(w.size() == s.original.size());
            const auto back = valueToGiveBack(s, w, {});
            FUZZ_CHECK(w == s.original ? !back : back == s.original);
            FUZZ_CHECK(originalUnder(s.id, s.name, w, ended) == s.original);
        }
        PointerValue other = s.original;
        other.push_back(0);
        FUZZ_CHECK(!valueToGiveBack(s, other, {}));
    }
    return 0;
}
