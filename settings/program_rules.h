#pragma once
// The rules per program. Under "Software\Quendlin\Zolvik32\Programme" each
// program has one string value, named after its file ("mstsc.exe", no
// path; the registry compares names without regard to case), whose text
// names what the system leaves alone in that program: some of the words
// "Makros", "Umlaute", "Ziffernblock" and "EasyBackslash", separated by
// commas or blanks, or "alles" for all four. Where all four are left alone
// the system does nothing at all: every key passes untouched, no sound is
// asked for, and AltGr+F1 switches nothing. A program without a value, an
// empty text and words the system does not know leave nothing alone.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

enum TProgramFeature : std::uint8_t {
    pfMacros = 0x01,         // the macros, the umlaut tables apart
    pfUmlauts = 0x02,        // the umlaut conversion
    pfKeypad = 0x04,         // NUM Punkt, EasyTab, the Num Lock lock, AltGr+Num Lock
    pfEasyBackslash = 0x08,  // "#" types "\", AltGr+"#" types "#"
};
inline constexpr std::uint8_t AllProgramFeatures = pfMacros | pfUmlauts | pfKeypad | pfEasyBackslash;

struct TProgramFeatureWord {
    TProgramFeature Feature;
    const char* Word;
};
inline constexpr TProgramFeatureWord ProgramFeatureWords[] = {
    {pfMacros, "Makros"},
    {pfUmlauts, "Umlaute"},
    {pfKeypad, "Ziffernblock"},
    {pfEasyBackslash, "EasyBackslash"},
};
inline constexpr const char* AllFeaturesWord = "alles";

// The features a value's text leaves alone. Words compare without regard to
// case.
std::uint8_t FeaturesLeftAlone(std::string_view text);
// The text that leaves the features alone: "alles" for all four, otherwise
// their words in the order above, ", " between them.
std::string LeftAloneText(std::uint8_t features);

// The rule of a program as the registry holds it at the moment of asking.
// The key is held open once it exists, so that asking costs one registry
// call, and one failed open while there is no key. A key deleted meanwhile
// (by an import that replaces the whole configuration, say) is opened anew.
class TProgramRules {
public:
    explicit TProgramRules(win::RegistryApi& api) : api_(api) {}
    ~TProgramRules();
    TProgramRules(const TProgramRules&) = delete;
    TProgramRules& operator=(const TProgramRules&) = delete;

    // The features left alone in the program of that file name. A value
    // that is not a string leaves all of them alone: whoever entered the
    // program wanted the system out of it.
    std::uint8_t LeftAlone(const std::string& programFile);

private:
    bool Open();
    void Close();
    std::int32_t Query(const std::string& programFile, std::uint8_t& features);

    win::RegistryApi& api_;
    win::RegKey key_ = 0;
};
