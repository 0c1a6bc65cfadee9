// installer_text: writes the installer's languages and texts as an NSIS include,
// taken from Kestrix's own message catalogue so that the installer speaks the same
// nineteen languages in the same words as the program.
//   installer_text OUTPUT.nsh
#include <cctype>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "kestrix/i18n.h"

namespace {

using kestrix::Language;
using kestrix::Message;

// NSIS's own translation of its pages for each of our languages, in our language order.
// Portuguese has two: the program's wording serves Brazil and Portugal alike.
struct NsisLanguage {
    std::string_view tag;
    std::string_view name;  // the language file under Contrib/Language files
};
constexpr NsisLanguage kNsisLanguages[] = {
    {"en", "English"},      {"zh-Hans", "SimpChinese"}, {"zh-Hant", "TradChinese"}, {"ja", "Japanese"},
    {"ko", "Korean"},       {"es", "Spanish"},          {"fr", "French"},           {"de", "German"},
    {"pt", "PortugueseBR"}, {"pt", "Portuguese"},       {"ru", "Russian"},          {"it", "Italian"},
    {"nl", "Dutch"},        {"pl", "Polish"},           {"tr", "Turkish"},          {"vi", "Vietnamese"},
    {"th", "Thai"},         {"id", "Indonesian"},       {"hi", "Hindi"},            {"ar", "Arabic"},
};

constexpr Message kInstallerMessages[] = {
    Message::setup_options_title,   Message::setup_options_subtitle, Message::setup_folder,
    Message::setup_start_at_sign_in, Message::setup_still_running,   Message::setup_remove_settings,
};

// A text inside an NSIS double-quoted string: "$" would start a variable and '"'
// would end the string; line breaks are written as NSIS escapes.
std::string nsis_quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '$': out += "$$"; break;
            case '"': out += "$\\\""; break;
            case '\r': out += "$\\r"; break;
            case '\n': out += "$\\n"; break;
            case '\t': out += "$\\t"; break;
            default: out += c;
        }
    }
    return out + "\"";
}

std::string upper(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: installer_text OUTPUT.nsh\n";
        return 2;
    }
    std::string nsh = "; Made by tools/package/installer_text from the message catalogue; do not edit.\n";
    // The first language is the one shown when the system's language is none of these.
    for (const NsisLanguage& language : kNsisLanguages) nsh += "!insertmacro MUI_LANGUAGE \"" + std::string(language.name) + "\"\n";
    for (const NsisLanguage& language : kNsisLanguages) {
        const Language index = kestrix::match_language_tag(language.tag);
        if (index == kestrix::kAutomaticLanguage || kestrix::language_tag(index) != language.tag) {
            std::cerr << "installer_text: no catalogue for " << language.tag << "\n";
            return 1;
        }
        const kestrix::Catalogue& catalogue = kestrix::catalogue_for(index);
        for (Message message : kInstallerMessages) {
            const auto text = catalogue.find(message);
            if (!text || text->empty()) {
                std::cerr << "installer_text: " << language.tag << " lacks " << kestrix::message_name(message) << "\n";
                return 1;
            }
            nsh += "LangString " + std::string(kestrix::message_name(message)) + " ${LANG_" + upper(language.name) +
                   "} " + nsis_quoted(*text) + "\n";
        }
    }
    std::ofstream out(argv[1], std::ios::binary);
    // makensis reads an include as UTF-8 when it starts with the byte-order mark.
    out << "\xEF\xBB\xBF" << nsh;
    if (!out.flush()) {
        std::cerr << "installer_text: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
