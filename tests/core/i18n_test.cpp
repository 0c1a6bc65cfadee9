#include "kestrix/i18n.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <vector>

#include "kestrix/utf8.h"

using namespace kestrix;

namespace {

// Restores English after a test that changes the process-wide language.
struct LanguageGuard {
    ~LanguageGuard() { set_language(kEnglish); }
};

size_t count_of(std::string_view text, std::string_view part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

bool starts_or_ends_with_space(std::string_view text) { return !text.empty() && trim_space(text) != text; }

Message message_at(size_t index) { return Message(index); }

constexpr const char* kTags[] = {"en", "zh-Hans", "zh-Hant", "ja", "ko", "es", "fr", "de", "pt", "ru",
                                 "it", "nl", "pl", "tr", "vi", "th", "id", "hi", "ar"};

}  // namespace

TEST(LanguageTable, TagsAndNamesInIndexOrder) {
    for (Language i = 0; i < kLanguageCount; ++i) EXPECT_EQ(language_tag(i), kTags[i]) << int(i);
    EXPECT_EQ(language_display_name(0), "English");
    EXPECT_EQ(language_display_name(1), "简体中文");
    EXPECT_EQ(language_display_name(2), "繁體中文");
    EXPECT_EQ(language_display_name(14), "Tiếng Việt");
    EXPECT_EQ(language_display_name(18), "العربية");
    EXPECT_EQ(language_tag(kAutomaticLanguage), "");
    EXPECT_EQ(language_display_name(19), "");
    // Every tag matches its own language, so the configuration file reads back what it wrote.
    for (Language i = 0; i < kLanguageCount; ++i) EXPECT_EQ(match_language_tag(language_tag(i)), i) << kTags[i];
}

TEST(LanguageTable, OnlyArabicReadsRightToLeft) {
    LanguageGuard guard;
    for (Language i = 0; i < kLanguageCount; ++i)
        EXPECT_EQ(is_right_to_left(i), std::string_view(kTags[i]) == "ar") << kTags[i];
    EXPECT_FALSE(is_right_to_left(kLanguageCount));
    EXPECT_FALSE(is_right_to_left(kAutomaticLanguage));
    // The flag follows the current language, and English comes back for an index outside the table.
    set_language(match_language_tag("ar-SA"));
    EXPECT_TRUE(current_language_is_right_to_left());
    set_language(kAutomaticLanguage);
    EXPECT_FALSE(current_language_is_right_to_left());
}

TEST(MatchLanguageTag, PrimarySubtagCaseAndUnderscores) {
    for (std::string_view tag : {"en-US", "EN", "en_GB", "en"}) EXPECT_EQ(match_language_tag(tag), 0) << tag;
    for (std::string_view tag : {"pt-BR", "pt_PT"}) EXPECT_EQ(match_language_tag(tag), 8) << tag;
    EXPECT_EQ(match_language_tag("ar-EG"), 18);
    EXPECT_EQ(match_language_tag("nl-BE"), 11);
    for (std::string_view tag : {"sr-Latn", "x", "", "-", "english", "zz-en", "z"})
        EXPECT_EQ(match_language_tag(tag), kAutomaticLanguage) << tag;
}

TEST(MatchLanguageTag, ChineseScriptAndRegion) {
    for (std::string_view tag : {"zh", "zh-CN", "zh-Hans", "zh-SG", "ZH_hans_CN", "zh-Latn"})
        EXPECT_EQ(match_language_tag(tag), 1) << tag;
    for (std::string_view tag : {"zh-TW", "zh-HK", "zh-MO", "zh_Hant", "zh-Hans-TW", "zh-Hant-CN", "ZH-hk"})
        EXPECT_EQ(match_language_tag(tag), 2) << tag;
    // Only whole subtags count.
    EXPECT_EQ(match_language_tag("zh-TWN"), 1);
    EXPECT_EQ(match_language_tag("zht"), kAutomaticLanguage);
}

TEST(PreferredLanguage, FirstMatchingSystemLanguageElseEnglish) {
    const std::vector<std::string> german = {"sr-Latn-RS", "de-DE", "en-US"};
    EXPECT_EQ(preferred_language(german), 7);
    const std::vector<std::string> taiwan = {"zh-Hant-TW", "ja-JP"};
    EXPECT_EQ(preferred_language(taiwan), 2);
    const std::vector<std::string> unmatched = {"sr-Latn-RS", "x", ""};
    EXPECT_EQ(preferred_language(unmatched), kEnglish);
    EXPECT_EQ(preferred_language({}), kEnglish);
}

TEST(SetLanguage, OutOfTableMeansEnglishAndLookupsFollowTheChange) {
    LanguageGuard guard;
    set_language(3);
    EXPECT_EQ(current_language(), 3);
    EXPECT_EQ(&catalogue(), &catalogue_for(3));
    EXPECT_EQ(msg(Message::toast_copied, "x"), format_message(catalogue_for(3)[Message::toast_copied], "x"));
    set_language(kAutomaticLanguage);
    EXPECT_EQ(current_language(), kEnglish);
    EXPECT_EQ(msg(Message::menu_capture_region), "Capture Region");
    set_language(18);
    set_language(19);
    EXPECT_EQ(current_language(), kEnglish);
    EXPECT_EQ(&catalogue_for(200), &catalogue_for(kEnglish));
}

TEST(Catalogue, WindowsMenuLabelsOnlyInEnglish) {
    LanguageGuard guard;
    EXPECT_EQ(catalogue().find(Message::menu_exit_windows), std::optional<std::string_view>("Exit Kestrix"));
    set_language(3);
    // Japanese has no message 88, so the tray menu falls back to messages 0, 1, 2, 3 and 5.
    EXPECT_FALSE(catalogue().find(Message::menu_settings_windows));
    EXPECT_EQ(catalogue()[Message::menu_settings_windows], "");
    for (Message m : {Message::menu_settings, Message::menu_capture_region, Message::menu_capture_and_save_as,
                      Message::menu_check_for_updates, Message::menu_quit})
        EXPECT_TRUE(catalogue().find(m)) << message_name(m);
}

TEST(FormatMessage, ReplacesTheFirstBracesOnlyAndNeverScansTheArgument) {
    EXPECT_EQ(format_message("Kestrix {} is available.", "1.2.3"), "Kestrix 1.2.3 is available.");
    EXPECT_EQ(format_message("Kestrix {} is available."), "Kestrix {} is available.");
    EXPECT_EQ(format_message("Copied  {}", "{}"), "Copied  {}");
    EXPECT_EQ(format_message("{}{}", "a{}b"), "a{}b{}");
    EXPECT_EQ(format_message("{} and {}", "x"), "x and {}");
    EXPECT_EQ(format_message("no braces", "x"), "no braces");
    EXPECT_EQ(format_message("{ } {", "x"), "{ } {");
    EXPECT_EQ(format_message("{}", ""), "");
    EXPECT_EQ(format_message("", "x"), "");
    EXPECT_EQ(format_message("end {}", "é"), "end é");
}

TEST(MessageNames, InMessageOrder) {
    EXPECT_EQ(message_name(Message::menu_settings), "menu_settings");
    EXPECT_EQ(message_name(Message::toast_copied), "toast_copied");
    EXPECT_EQ(message_name(Message::send_no_network), "send_no_network");
    EXPECT_EQ(message_name(Message::menu_exit_windows), "menu_exit_windows");
    EXPECT_FALSE(message_name(message_at(kMessageCount - 1)).empty());
    EXPECT_EQ(message_name(Message(kMessageCount)), "");
    EXPECT_TRUE(is_english_only(Message::menu_settings_windows));
    EXPECT_TRUE(is_english_only(Message::menu_exit_windows));
    EXPECT_FALSE(is_english_only(Message::send_no_network));
}

// A language whose catalogue file has not been written yet compiles with every message
// absent; the rules below report it as skipped, by name, rather than as passed.
// The rules every catalogue keeps, checked for every message of every language.
TEST(CatalogueRules, EveryMessageOfEveryLanguage) {
    const Catalogue& english = catalogue_for(kEnglish);
    for (Language language = 0; language < kLanguageCount; ++language) {
        const Catalogue& c = catalogue_for(language);
        const std::string tag(language_tag(language));
        for (size_t i = 0; i < kMessageCount; ++i) {
            const Message m = message_at(i);
            const std::string where = tag + " " + std::to_string(i) + " " + std::string(message_name(m));
            auto text = c.find(m);
            if (is_english_only(m) && language != kEnglish) {
                EXPECT_FALSE(text) << where << ": the Windows menu labels exist in English only";
                continue;
            }
            ASSERT_TRUE(text) << where << ": missing (translation not delivered?)";
            EXPECT_FALSE(text->empty()) << where;
            EXPECT_TRUE(is_valid_utf8(*text)) << where;
            EXPECT_EQ(text->find("TRANSLATION PENDING"), std::string_view::npos) << where;
            EXPECT_FALSE(starts_or_ends_with_space(*text) && !starts_or_ends_with_space(english[m])) << where;
            const std::string_view en = english[m];
            EXPECT_EQ(count_of(*text, "{}"), count_of(en, "{}")) << where << ": " << *text;
            EXPECT_EQ(count_of(*text, "{"), count_of(en, "{")) << where << ": stray brace in " << *text;
            EXPECT_EQ(count_of(*text, "}"), count_of(en, "}")) << where << ": stray brace in " << *text;
        }

        // Right-to-left marks where an Arabic message opens with Latin text or a placeholder,
        // the five named ones always, any other that would start left to right too (the
        // fixed "AirDrop…" aside).
        if (tag == "ar") {
            for (size_t i : {41, 44, 45, 46, 87})
                EXPECT_TRUE(c[message_at(i)].starts_with("\u200F")) << "ar " << i << " lacks its RLM";
            for (size_t i = 0; i < kMessageCount; ++i) {
                if (is_english_only(message_at(i))) continue;
                const std::string_view text = c[message_at(i)];
                const bool opens_left_to_right =
                    !text.empty() && (text.starts_with("{}") || std::isalnum(static_cast<unsigned char>(text[0])));
                if (opens_left_to_right && message_at(i) != Message::send_airdrop)
                    ADD_FAILURE() << "ar " << i << " opens left to right without an RLM: " << text;
            }
        }

        if (tag == "zh-Hans")
            EXPECT_NE(c[Message::send_airdrop], "AirDrop…");
        else
            EXPECT_EQ(c[Message::send_airdrop], "AirDrop…") << tag;
    }
}

TEST(CatalogueRules, TheTwoGivenRowsExactly) {
    const std::pair<const char*, const char*> rows[] = {
        {"Capture Region", "Copied  {}"},
        {"区域截图", "已复制  {}"},
        {"區域截圖", "已複製  {}"},
        {"範囲を撮影", "コピーしました  {}"},
        {"영역 캡처", "복사됨  {}"},
        {"Capturar región", "Copiado  {}"},
        {"Capturer une zone", "Copié  {}"},
        {"Bereich aufnehmen", "Kopiert  {}"},
        {"Capturar região", "Copiado  {}"},
        {"Снимок области", "Скопировано  {}"},
        {"Cattura area", "Copiato  {}"},
        {"Gebied vastleggen", "Gekopieerd  {}"},
        {"Przechwyć obszar", "Skopiowano  {}"},
        {"Bölgeyi yakala", "Kopyalandı  {}"},
        {"Chụp vùng chọn", "Đã sao chép  {}"},
        {"จับภาพพื้นที่", "คัดลอกแล้ว  {}"},
        {"Tangkap area", "Disalin  {}"},
        {"क्षेत्र कैप्चर करें", "कॉपी हो गया  {}"},
        {"التقاط منطقة", "تم النسخ  {}"},
    };
    for (Language language = 0; language < kLanguageCount; ++language) {
        const Catalogue& c = catalogue_for(language);
        EXPECT_EQ(c[Message::menu_capture_region], rows[language].first) << kTags[language];
        EXPECT_EQ(c[Message::toast_copied], rows[language].second) << kTags[language];
    }
}

// The catalogue sources themselves: one line per message, numbered and named in order,
// and no placeholder file left behind. Needs the source tree, so it is skipped where the
// tests run without it.
TEST(CatalogueRules, SourceFilesAreNumberedNamedAndFinal) {
    const std::filesystem::path catalogue_dir = KESTRIX_CATALOGUE_DIR;
    if (!std::ifstream(catalogue_dir / "en.inc")) GTEST_SKIP() << "no source tree at " << catalogue_dir;

    const std::regex entry(R"(^/\* (\d+) (\w+) \*/ (".*"|nullptr),$)");
    const std::regex heading(R"(^(//.*|/\* [^0-9"][^"]* \*/)$)");
    for (Language language = 0; language < kLanguageCount; ++language) {
        const std::string tag(language_tag(language));
        std::ifstream in(catalogue_dir / (tag + ".inc"));
        ASSERT_TRUE(in) << tag << ".inc is missing";
        std::string line;
        size_t expected = 0;
        while (std::getline(in, line)) {
            EXPECT_EQ(line.find("TRANSLATION PENDING"), std::string::npos) << tag << ".inc is a placeholder";
            std::smatch match;
            if (expected == 0 && std::regex_match(line, heading)) continue;  // a comment naming the language
            if (!std::regex_match(line, match, entry)) {
                ADD_FAILURE() << tag << ".inc: not an entry line: " << line;
                continue;
            }
            EXPECT_EQ(match[1].str(), std::to_string(expected)) << tag << ".inc: " << line;
            EXPECT_EQ(match[2].str(), message_name(message_at(expected))) << tag << ".inc: " << line;
            const bool absent = match[3].str() == "nullptr";
            EXPECT_EQ(absent, language != kEnglish && is_english_only(message_at(expected))) << tag << ".inc: " << line;
            ++expected;
        }
        EXPECT_EQ(expected, kMessageCount) << tag;
    }
}
