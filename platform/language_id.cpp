#include "platform/language_id.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace korvane {

unsigned LanguageIdFromLocale(const std::string& locale)
{
    std::string name = locale.substr(0, locale.find_first_of(".@"));
    static const std::pair<const char*, unsigned> kFull[] = {
        {"en_US", 0x409}, {"en_GB", 0x809}, {"zh_CN", 0x804}, {"zh_TW", 0x404}, {"zh_HK", 0xC04},
        {"pt_BR", 0x416}, {"pt_PT", 0x816}, {"fr_CA", 0xC0C}, {"en_AU", 0xC09}, {"en_CA", 0x1009},
    };
    for (const auto& [key, id] : kFull)
        if (name == key)
            return id;
    static const std::pair<const char*, unsigned> kLanguage[] = {
        {"ja", 0x411}, {"en", 0x409}, {"zh", 0x804}, {"ko", 0x412}, {"de", 0x407}, {"fr", 0x40C},
        {"es", 0xC0A}, {"it", 0x410}, {"nl", 0x413}, {"pt", 0x816}, {"ru", 0x419}, {"pl", 0x415},
        {"sv", 0x41D}, {"th", 0x41E}, {"vi", 0x42A}, {"id", 0x421}, {"tr", 0x41F},
    };
    std::string language = name.substr(0, name.find('_'));
    for (const auto& [key, id] : kLanguage)
        if (language == key)
            return id;
    return 0x409;
}

unsigned UserLanguageId()
{
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value)
            return LanguageIdFromLocale(value);
    }
    return 0x409;
}

std::string LanguageSectionName(unsigned id)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", id);
    return text;
}

} // namespace korvane
