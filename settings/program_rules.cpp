#include "settings/program_rules.h"

#include <cstring>
#include <vector>

#include "common/cp1252.h"
#include "common/registry_paths.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

bool IsSeparator(char c) { return c == ',' || c == ';' || c == ' ' || c == '\t'; }

std::uint8_t FeaturesOfWord(std::string_view word) {
    std::string folded = UpperCase(word);
    if (folded == UpperCase(AllFeaturesWord)) return AllProgramFeatures;
    for (const TProgramFeatureWord& entry : ProgramFeatureWords) {
        if (folded == UpperCase(entry.Word)) return entry.Feature;
    }
    return 0;
}

bool IsStringType(std::uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

std::uint8_t FeaturesOfData(std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
    if (!IsStringType(type)) return AllProgramFeatures;
    auto text = reinterpret_cast<const char*>(data);
    return FeaturesLeftAlone(std::string_view(text, strnlen(text, size)));
}

}  // namespace

std::uint8_t FeaturesLeftAlone(std::string_view text) {
    std::uint8_t features = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        features |= FeaturesOfWord(text.substr(start, end - start));
        start = end + 1;
    }
    return features;
}

std::string LeftAloneText(std::uint8_t features) {
    if ((features & AllProgramFeatures) == AllProgramFeatures) return AllFeaturesWord;
    std::string text;
    for (const TProgramFeatureWord& entry : ProgramFeatureWords) {
        if (!(features & entry.Feature)) continue;
        if (!text.empty()) text += ", ";
        text += entry.Word;
    }
    return text;
}

TProgramRules::~TProgramRules() { Close(); }

bool TProgramRules::Open() {
    if (key_ != 0) return true;
    if (api_.RegOpenKeyExA(HKEY_CURRENT_USER, ProgramsKeyPath, 0, KEY_QUERY_VALUE, &key_) == ERROR_SUCCESS) {
        return true;
    }
    key_ = 0;
    return false;
}

void TProgramRules::Close() {
    if (key_ != 0) api_.RegCloseKey(key_);
    key_ = 0;
}

// One call for every text the words make; a longer one is read again at
// its size.
std::int32_t TProgramRules::Query(const std::string& programFile, std::uint8_t& features) {
    std::uint8_t buffer[64];
    std::uint32_t type = 0;
    std::uint32_t size = sizeof buffer;
    std::int32_t status = api_.RegQueryValueExA(key_, programFile.c_str(), &type, buffer, &size);
    if (status == ERROR_SUCCESS) features = FeaturesOfData(type, buffer, size);
    if (status != ERROR_MORE_DATA) return status;
    std::vector<std::uint8_t> data(size);
    status = api_.RegQueryValueExA(key_, programFile.c_str(), &type, data.data(), &size);
    if (status == ERROR_SUCCESS) features = FeaturesOfData(type, data.data(), size);
    return status;
}

std::uint8_t TProgramRules::LeftAlone(const std::string& programFile) {
    if (programFile.empty() || !Open()) return 0;
    std::uint8_t features = 0;
    if (Query(programFile, features) == ERROR_KEY_DELETED) {
        Close();
        if (Open()) Query(programFile, features);
    }
    return features;
}
