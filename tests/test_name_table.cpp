// The name table and the GBK-aware cutting of texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "params/GbkText.h"
#include "params/NameTable.h"

using Ombrix::Levels::NameTable;

namespace {

const char kGamma[] = "\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD";  // 灰度系数
const char kChannel[] = "\xCD\xA8\xB5\xC0";                 // 通道

struct TagCase {
    std::string tag;  // six bytes compared
    int index;
};

void PrintTo(const TagCase& c, std::ostream* os) { *os << "tag \"" << c.tag.c_str() << "\""; }

class LanguageTags : public ::testing::TestWithParam<TagCase> {};

TEST_P(LanguageTags, MapToTheirIndex) {
    char tag[6] = {0};
    std::memcpy(tag, GetParam().tag.data(), std::min<size_t>(6, GetParam().tag.size()));
    EXPECT_EQ(NameTable::languageForTag(tag), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(NameTable, LanguageTags,
                         ::testing::Values(TagCase{"zh_CN", 0}, TagCase{"en_US", 1}, TagCase{"fr_FR", 2},
                                           TagCase{"de_DE", 3}, TagCase{"it_IT", 4}, TagCase{"ja_JP", 5},
                                           TagCase{"ko_KR", 6}, TagCase{"es_ES", 7}, TagCase{"pt_BR", 1},
                                           TagCase{"", 1}, TagCase{"zh_TW", 1},
                                           // five matching bytes but no terminator in the sixth
                                           TagCase{std::string("zh_CNx", 6), 1}));

TEST(NameTable, ChineseShowsTheGbkTextsAndKeysWithoutEntries) {
    NameTable table(Ombrix::Levels::kLanguageChinese);
    EXPECT_EQ(table.size(), 41u);
    EXPECT_STREQ(table.lookup("Gamma"), kGamma);
    EXPECT_STREQ(table.lookup("Channel"), kChannel);
    EXPECT_STREQ(table.lookup("Alpha Output White"), "\xCD\xB8\xC3\xF7\xB6\xC8\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB");
    EXPECT_STREQ(table.lookup("RGB"), "RGB");
}

TEST(NameTable, EveryOtherLanguageShowsTheEnglishKey) {
    for (int language = 1; language < 8; ++language) {
        NameTable table(language);
        for (const char* key : {"Channel", "Histogram", "Red Gamma", "Clip To Output White", "Alpha Input Black"}) {
            EXPECT_STREQ(table.lookup(key), key) << "language " << language;
        }
        const std::string missing = "Not A Parameter";
        EXPECT_EQ(table.lookup(missing.c_str()), missing.c_str());
    }
}

TEST(NameTable, AddEntryUpdatesInPlaceAndKeepsOneEntry) {
    NameTable table(Ombrix::Levels::kLanguageChinese);
    table.addEntry("Gamma", "Gamma!", "\xB0\xA1");
    EXPECT_EQ(table.size(), 41u);
    EXPECT_STREQ(table.lookup("Gamma"), "\xB0\xA1");
    // English without Chinese fills both slots, so Chinese shows the English text.
    table.addEntry("Gamma", "Gamma only", nullptr);
    EXPECT_STREQ(table.lookup("Gamma"), "Gamma only");
    // Chinese without English is taken only when the table is Chinese.
    table.addEntry("New", nullptr, "\xB0\xA1");
    EXPECT_STREQ(table.lookup("New"), "\xB0\xA1");
    NameTable english(Ombrix::Levels::kLanguageEnglish);
    english.addEntry("New", nullptr, "\xB0\xA1");
    EXPECT_STREQ(english.lookup("New"), "");
}

TEST(NameTable, LongTextsAreCutOnCharacterBoundaries) {
    NameTable table(Ombrix::Levels::kLanguageChinese);
    std::string english(400, 'e');
    std::string chinese = "x";  // one ASCII byte, then two-byte characters
    while (chinese.size() < 400) chinese += "\xB0\xA1";
    table.addEntry("Long", english.c_str(), chinese.c_str());
    const char* shown = table.lookup("Long");
    EXPECT_EQ(std::strlen(shown), 255u);  // 1 + 127 characters: the 128th would need byte 256
    NameTable plain(Ombrix::Levels::kLanguageEnglish);
    plain.addEntry("Long", english.c_str(), chinese.c_str());
    EXPECT_EQ(std::strlen(plain.lookup("Long")), 255u);
}

struct CutCase {
    const char* text;
    size_t maxBytes;
    size_t expected;
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.maxBytes << " of " << std::strlen(c.text) << " bytes"; }

class GbkCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(GbkCut, NeverSplitsATwoByteCharacter) {
    EXPECT_EQ(Ombrix::Levels::gbkPrefixLength(GetParam().text, GetParam().maxBytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(NameTable, GbkCut,
                         ::testing::Values(CutCase{"abc", 31, 3}, CutCase{"abcdef", 4, 4},
                                           CutCase{kChannel, 4, 4}, CutCase{kChannel, 3, 2},
                                           CutCase{kChannel, 1, 0}, CutCase{"a\xCD\xA8\xB5\xC0", 4, 3},
                                           // a lead byte without its trail byte is one broken character
                                           CutCase{"ab\xCD", 3, 3}, CutCase{"", 5, 0}));

TEST(NameTable, CopyTruncatedTerminates) {
    char field[32];
    std::memset(field, 'x', sizeof(field));
    std::string name;
    for (int i = 0; i < 20; ++i) name += kChannel;
    Ombrix::Levels::copyGbkTruncated(field, sizeof(field), name.c_str());
    EXPECT_EQ(std::strlen(field), 30u);  // fifteen two-byte characters fit in 31 bytes
}

}  // namespace
