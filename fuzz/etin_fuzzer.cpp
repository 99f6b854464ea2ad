// The calculation on arbitrary texts, settings and years. Whatever comes in,
// the answer is a missing name, a date error whose message is built from the
// date text, or an eTIN of 14 characters that ends in its check letter.
//
// Input, as FuzzedDataProvider reads it: family name, first name, date text
// and date separator setting, each ended by a backslash and one more byte
// ("\\" stands for a backslash); then the short-date format up to the last
// four bytes, which hold the current year.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "core/checkchar.h"
#include "core/etin.h"
#include "fuzz/check.h"

namespace {

using kennfix::EtinResult;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

void CheckEtin(const std::string& etin)
{
    FUZZ_CHECK(etin.size() == 14);
    // Year digits, month letter A-L, day 01-31.
    FUZZ_CHECK(IsDigit(etin[8]) && IsDigit(etin[9]));
    FUZZ_CHECK(etin[10] >= 'A' && etin[10] <= 'L');
    FUZZ_CHECK(IsDigit(etin[11]) && IsDigit(etin[12]));
    const int day = (etin[11] - '0') * 10 + (etin[12] - '0');
    FUZZ_CHECK(day >= 1 && day <= 31);
    FUZZ_CHECK(etin[13] >= 'A' && etin[13] <= 'Z');
    FUZZ_CHECK(kennfix::CheckCharacter(std::string_view(etin).substr(0, 13)) == etin[13]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const int currentYear = input.ConsumeIntegral<int>();
    const std::string family = input.ConsumeRandomLengthString();
    const std::string first = input.ConsumeRandomLengthString();
    const std::string date = input.ConsumeRandomLengthString();
    const std::string separatorSetting = input.ConsumeRandomLengthString();
    const std::string shortDateFormat = input.ConsumeRemainingBytesAsString();
    const kennfix::DateSettings settings = kennfix::DateSettingsFrom(separatorSetting, shortDateFormat);

    try {
        const EtinResult r = kennfix::ComputeEtin(family, first, date, settings, currentYear);
        switch (r.kind) {
        case EtinResult::Ok:
            FUZZ_CHECK(!family.empty() && !first.empty());
            CheckEtin(r.etin);
            // Names typed in capitals give the same eTIN.
            FUZZ_CHECK(kennfix::ComputeEtin(kennfix::UpperCase(family), kennfix::UpperCase(first), date, settings,
                                            currentYear)
                           .etin == r.etin);
            break;
        case EtinResult::FamilyNameMissing:
            FUZZ_CHECK(family.empty() && r.etin.empty());
            break;
        case EtinResult::FirstNameMissing:
            FUZZ_CHECK(!family.empty() && first.empty() && r.etin.empty());
            break;
        default:
            FUZZ_CHECK(!"a kind of result that does not exist");
        }
    } catch (const kennfix::DateConversionError& e) {
        FUZZ_CHECK(!family.empty() && !first.empty());
        const std::string converted = date == kennfix::kEmptyDateText ? "01.01.00" : date;
        const std::string message = "'" + converted + "' is not a valid date";
        // what() is a C string: a NUL in the date text ends it there.
        FUZZ_CHECK(std::strcmp(e.what(), message.c_str()) == 0);
    }
    return 0;
}
