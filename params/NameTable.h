// Displayed parameter names, in the host's language: Simplified Chinese (GBK
// bytes) when the host runs in Chinese, English otherwise.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>

#include "host/ae_effect.h"
#include "params/LiveCount.h"

namespace Ombrix::Levels {

// Position of the host's language tag in the known-tag table; 1 (en_US) for
// any tag that is not in it.
typedef int LanguageIndex;
constexpr LanguageIndex kLanguageChinese = 0;
constexpr LanguageIndex kLanguageEnglish = 1;

class NameTable {
public:
    // One 512-byte block: English text at 0..255, Chinese (GBK) at 256..511.
    static constexpr size_t kEntrySize = 512;
    static constexpr size_t kSlotSize = 256;
    typedef std::array<char, kEntrySize> NameEntry;

    // Asks the host for its language ("PF AE App Suite" v7, else v6, else v5;
    // English when the host offers none of them) and fills the built-in
    // dictionary.
    explicit NameTable(const PF_InData* in_data);
    // A table for a known language, without asking a host.
    explicit NameTable(LanguageIndex language);

    NameTable(const NameTable&) = delete;
    NameTable& operator=(const NameTable&) = delete;

    static LanguageIndex detectHostLanguage(const PF_InData* in_data);
    static LanguageIndex languageForTag(const char tag[6]);

    void fillDictionary();
    // Adds or updates one entry. Texts longer than a slot are cut on a
    // character boundary to 255 bytes, so every slot stays terminated.
    void addEntry(const std::string& key, const char* english, const char* chinese);
    // The text to display for `key`; for a key without an entry, `key` itself.
    // The pointer is valid until the table changes (or, for a missing key, as
    // long as the caller's string); copy it at once.
    const char* lookup(const char* key) const;

    LanguageIndex language() const { return language_; }
    size_t size() const { return dictionary_.size(); }
    // Tables alive in this copy of the effect's code.
    static int live() { return LiveCount<NameTable>::live(); }

private:
    LiveCount<NameTable> counted_;
    LanguageIndex language_;
    std::map<std::string, std::unique_ptr<NameEntry>> dictionary_;
};

}  // namespace Ombrix::Levels
