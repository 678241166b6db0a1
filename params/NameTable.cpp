#include "params/NameTable.h"

#include <cstring>

#include "hostaccess/SuiteScope.h"
#include "host/ae_suites.h"
#include "params/GbkText.h"

namespace Ombrix::Levels {
namespace {

// Known host language tags, each five characters and a terminator in an
// 8-byte slot; compared over six bytes so the terminator must match too.
const char kLanguageTags[8][8] = {"zh_CN", "en_US", "fr_FR", "de_DE", "it_IT", "ja_JP", "ko_KR", "es_ES"};

struct BuiltInName {
    const char* english;
    const char* chinese;  // GBK bytes
};

// English key (also the English text) and its Simplified Chinese text.
const BuiltInName kBuiltInNames[] = {
    {"Channel", "\xCD\xA8\xB5\xC0"},  // 通道
    {"Histogram", "\xD6\xB1\xB7\xBD\xCD\xBC"},  // 直方图
    {"Input Black", "\xCA\xE4\xC8\xEB\xBA\xDA\xC9\xAB"},  // 输入黑色
    {"Input White", "\xCA\xE4\xC8\xEB\xB0\xD7\xC9\xAB"},  // 输入白色
    {"Gamma", "\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD"},  // 灰度系数
    {"Output Black", "\xCA\xE4\xB3\xF6\xBA\xDA\xC9\xAB"},  // 输出黑色
    {"Output White", "\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB"},  // 输出白色
    {"Red", "\xBA\xEC\xC9\xAB"},  // 红色
    {"Red Input Black", "\xBA\xEC\xC9\xAB\xCA\xE4\xC8\xEB\xBA\xDA\xC9\xAB"},  // 红色输入黑色
    {"Red Input White", "\xBA\xEC\xC9\xAB\xCA\xE4\xC8\xEB\xB0\xD7\xC9\xAB"},  // 红色输入白色
    {"Red Gamma", "\xBA\xEC\xC9\xAB\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD"},  // 红色灰度系数
    {"Red Output Black", "\xBA\xEC\xC9\xAB\xCA\xE4\xB3\xF6\xBA\xDA\xC9\xAB"},  // 红色输出黑色
    {"Red Output White", "\xBA\xEC\xC9\xAB\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB"},  // 红色输出白色
    {"Green", "\xC2\xCC\xC9\xAB"},  // 绿色
    {"Green Input Black", "\xC2\xCC\xC9\xAB\xCA\xE4\xC8\xEB\xBA\xDA\xC9\xAB"},  // 绿色输入黑色
    {"Green Input White", "\xC2\xCC\xC9\xAB\xCA\xE4\xC8\xEB\xB0\xD7\xC9\xAB"},  // 绿色输入白色
    {"Green Gamma", "\xC2\xCC\xC9\xAB\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD"},  // 绿色灰度系数
    {"Green Output Black", "\xC2\xCC\xC9\xAB\xCA\xE4\xB3\xF6\xBA\xDA\xC9\xAB"},  // 绿色输出黑色
    {"Green Output White", "\xC2\xCC\xC9\xAB\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB"},  // 绿色输出白色
    {"Blue", "\xC0\xB6\xC9\xAB"},  // 蓝色
    {"Blue Input Black", "\xC0\xB6\xC9\xAB\xCA\xE4\xC8\xEB\xBA\xDA\xC9\xAB"},  // 蓝色输入黑色
    {"Blue Input White", "\xC0\xB6\xC9\xAB\xCA\xE4\xC8\xEB\xB0\xD7\xC9\xAB"},  // 蓝色输入白色
    {"Blue Gamma", "\xC0\xB6\xC9\xAB\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD"},  // 蓝色灰度系数
    {"Blue Output Black", "\xC0\xB6\xC9\xAB\xCA\xE4\xB3\xF6\xBA\xDA\xC9\xAB"},  // 蓝色输出黑色
    {"Blue Output White", "\xC0\xB6\xC9\xAB\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB"},  // 蓝色输出白色
    {"Alpha", "\xCD\xB8\xC3\xF7\xB6\xC8"},  // 透明度
    {"Alpha Input Black", "\xCD\xB8\xC3\xF7\xB6\xC8\xCA\xE4\xC8\xEB\xBA\xDA\xC9\xAB"},  // 透明度输入黑色
    {"Alpha Input White", "\xCD\xB8\xC3\xF7\xB6\xC8\xCA\xE4\xC8\xEB\xB0\xD7\xC9\xAB"},  // 透明度输入白色
    {"Alpha Gamma", "\xCD\xB8\xC3\xF7\xB6\xC8\xBB\xD2\xB6\xC8\xCF\xB5\xCA\xFD"},  // 透明度灰度系数
    {"Alpha Output Black", "\xCD\xB8\xC3\xF7\xB6\xC8\xCA\xE4\xB3\xF6\xBA\xDA\xC9\xAB"},  // 透明度输出黑色
    {"Alpha Output White", "\xCD\xB8\xC3\xF7\xB6\xC8\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB"},  // 透明度输出白色
    {"Clip To Output Black", "\xBC\xF4\xC7\xD0\xD2\xD4\xCA\xE4\xB3\xF6\xBA\xDA\xC9\xAB"},  // 剪切以输出黑色
    {"Clip To Output White", "\xBC\xF4\xC7\xD0\xD2\xD4\xCA\xE4\xB3\xF6\xB0\xD7\xC9\xAB"},  // 剪切以输出白色
    {"View", "\xCA\xD3\xCD\xBC"},  // 视图
    {"Result", "\xBD\xE1\xB9\xFB"},  // 结果
    {"Shadow Clipping", "\xD2\xF5\xD3\xB0\xBC\xF4\xC7\xD0"},  // 阴影剪切
    {"Highlight Clipping", "\xB8\xDF\xB9\xE2\xBC\xF4\xC7\xD0"},  // 高光剪切
    {"Black Point", "\xBA\xDA\xB3\xA1"},  // 黑场
    {"Grey Point", "\xBB\xD2\xB3\xA1"},  // 灰场
    {"White Point", "\xB0\xD7\xB3\xA1"},  // 白场
    {"Auto Clip", "\xD7\xD4\xB6\xAF\xBC\xF4\xC7\xD0"},  // 自动剪切
};

}  // namespace

NameTable::NameTable(const PF_InData* in_data) : language_(detectHostLanguage(in_data)) { fillDictionary(); }

NameTable::NameTable(LanguageIndex language) : language_(language) { fillDictionary(); }

LanguageIndex NameTable::languageForTag(const char tag[6]) {
    for (LanguageIndex i = 0; i < 8; ++i) {
        if (std::memcmp(tag, kLanguageTags[i], 6) == 0) return i;
    }
    return kLanguageEnglish;
}

LanguageIndex NameTable::detectHostLanguage(const PF_InData* in_data) {
    // PF_AppGetLanguage came with version 5 of the application suite as its
    // third function, and later versions only append: versions 7, 6 and 5 all
    // have it in the same slot. Older versions have every later function one
    // slot lower and are never asked for. A host offering none gets English.
    for (int32_t version : {kPFAppSuiteVersion7, kPFAppSuiteVersion6, kPFAppSuiteVersion5}) {
        try {
            SuiteScope<PFAppSuite6> app(in_data, kPFAppSuite, version);
            char tag[PF_APP_LANG_TAG_SIZE] = {0};
            if (!app->PF_AppGetLanguage) return kLanguageEnglish;
            app->PF_AppGetLanguage(tag);  // on failure the tag stays empty: English
            return languageForTag(tag);
        } catch (int) {
            // refused: try the next older version
        }
    }
    return kLanguageEnglish;
}

void NameTable::fillDictionary() {
    for (const BuiltInName& name : kBuiltInNames) addEntry(name.english, name.english, name.chinese);
}

void NameTable::addEntry(const std::string& key, const char* english, const char* chinese) {
    auto found = dictionary_.find(key);
    NameEntry* entry = nullptr;
    std::unique_ptr<NameEntry> created;
    if (found != dictionary_.end()) {
        entry = found->second.get();
    } else {
        created = std::make_unique<NameEntry>();
        created->fill(0);
        entry = created.get();
    }
    char* englishSlot = entry->data();
    char* chineseSlot = entry->data() + kSlotSize;
    const bool hasEnglish = english && english[0] != '\0';
    const bool hasChinese = chinese && chinese[0] != '\0';
    if (hasEnglish) {
        std::memset(englishSlot, 0, kSlotSize);
        copyGbkTruncated(englishSlot, kSlotSize, english);
        std::memset(chineseSlot, 0, kSlotSize);
        // Both slots always keep a terminator, so a lookup never reads past its slot.
        copyGbkTruncated(chineseSlot, kSlotSize, hasChinese ? chinese : englishSlot);
    } else if (hasChinese && language_ == kLanguageChinese) {
        std::memset(chineseSlot, 0, kSlotSize);
        copyGbkTruncated(chineseSlot, kSlotSize, chinese);
    }
    if (created) dictionary_.emplace(key, std::move(created));
}

const char* NameTable::lookup(const char* key) const {
    auto found = dictionary_.find(key);
    if (found == dictionary_.end()) return key;
    const NameEntry& entry = *found->second;
    if (language_ == kLanguageChinese && entry[kSlotSize] != '\0') return entry.data() + kSlotSize;
    return entry.data();
}

}  // namespace Ombrix::Levels
