#include "kestrix/config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

#include "kestrix/file_io.h"
#include "kestrix/utf8.h"

using namespace kestrix;
namespace fs = std::filesystem;

namespace {

ParsedConfig parse(std::string_view text) { return parse_config(text); }

// The single warning a one-line file gives.
std::string warning_of(std::string_view line) {
    ParsedConfig parsed = parse(line);
    EXPECT_EQ(parsed.warnings.size(), 1u) << line;
    return parsed.warnings.empty() ? std::string() : parsed.warnings[0].message;
}

// A fresh directory under the system's temporary directory, removed afterwards.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = fs::temp_directory_path() / ("kestrix-config-test-" + std::to_string(stamp) + "-" +
                                             std::to_string(counter++));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void write(const fs::path& path, std::string_view text) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A program directory and an APPDATA directory side by side in one temporary directory.
struct Places {
    TempDir root;
    ConfigDirs dirs{root.path() / "program", root.path() / "appdata"};
    Places() { fs::create_directories(dirs.program_dir); }
    fs::path beside() const { return dirs.program_dir / "kestrix.toml"; }
    fs::path per_user() const { return *dirs.appdata / "Kestrix" / "kestrix.toml"; }
};

}  // namespace

TEST(ParseConfig, EmptyOrCommentOnlyTextGivesDefaults) {
    for (std::string_view text : {"", "\n\n", "# just a comment\n   \n\t# another\r\n"}) {
        ParsedConfig parsed = parse(text);
        EXPECT_EQ(parsed.values, Config{});
        EXPECT_TRUE(parsed.warnings.empty());
    }
    const Config defaults;
    EXPECT_EQ(defaults.hotkey.text(), "Ctrl+Alt+A");
    EXPECT_EQ(defaults.overlay_dim_percent, 45);
    EXPECT_EQ(defaults.language, kAutomaticLanguage);
    EXPECT_TRUE(defaults.show_confirmation);
    EXPECT_FALSE(defaults.transfer_enabled);
    EXPECT_TRUE(defaults.show_tray_icon);
    EXPECT_TRUE(defaults.check_for_updates);
}

TEST(ParseConfig, KeysAreCaseInsensitiveAndQuotesOptional) {
    EXPECT_EQ(parse("Hotkey = Ctrl+Shift+S").values.hotkey.text(), "Ctrl+Shift+S");
    EXPECT_EQ(parse("HOTKEY='ctrl+shift+s'").values.hotkey.text(), "Ctrl+Shift+S");
    EXPECT_EQ(parse("hotkey = \"  Ctrl+Q  \"").values.hotkey.text(), "Ctrl+Q");  // hotkey is trimmed again
    // Mismatched quotes stay, and so do the spaces inside matching ones.
    EXPECT_EQ(warning_of("language = \"de'"), "language: `\"de'` is not one Kestrix has");
    EXPECT_EQ(warning_of("language = \" de\""), "language: ` de` is not one Kestrix has");
    EXPECT_EQ(warning_of("show_confirmation = \"\""), "show_confirmation: expected true/false, got ``");
    EXPECT_EQ(warning_of("show_confirmation = \""), "show_confirmation: expected true/false, got `\"`");
}

TEST(ParseConfig, OverlayDimPercent) {
    EXPECT_EQ(parse("overlay_dim_percent = 100").values.overlay_dim_percent, 100);
    EXPECT_EQ(parse("overlay_dim_percent = 0").values.overlay_dim_percent, 0);
    EXPECT_EQ(parse("overlay_dim_percent = +7").values.overlay_dim_percent, 7);
    EXPECT_EQ(parse("overlay_dim_percent = '007'").values.overlay_dim_percent, 7);
    for (std::string_view value : {"101", "-1", "45.5", "", "+", "++5", "256", "99999999999", "5 0", "0x10"}) {
        ParsedConfig parsed = parse("overlay_dim_percent = " + std::string(value));
        EXPECT_EQ(parsed.values.overlay_dim_percent, 45) << value;
        ASSERT_EQ(parsed.warnings.size(), 1u) << value;
        EXPECT_EQ(parsed.warnings[0].message, "overlay_dim_percent: expected 0-100, got `" + std::string(value) + "`");
    }
    EXPECT_EQ(parse_percent("100"), 100);
    EXPECT_FALSE(parse_percent(" 5"));
}

TEST(ParseConfig, SwitchesAndTheirOwnWarnings) {
    EXPECT_FALSE(parse("show_confirmation = OFF").values.show_confirmation);
    EXPECT_TRUE(parse("transfer_enabled = Yes").values.transfer_enabled);
    EXPECT_FALSE(parse("show_tray_icon = 0").values.show_tray_icon);
    EXPECT_FALSE(parse("check_for_updates = no").values.check_for_updates);
    for (std::string_view key : {"show_confirmation", "transfer_enabled", "check_for_updates", "show_tray_icon"}) {
        ParsedConfig parsed = parse(std::string(key) + " = nope");
        EXPECT_EQ(parsed.values, Config{}) << key;
        ASSERT_EQ(parsed.warnings.size(), 1u);
        EXPECT_EQ(parsed.warnings[0].message, std::string(key) + ": expected true/false, got `nope`");
    }
    for (std::string_view word : {"true", "YES", "On", "1"}) EXPECT_EQ(parse_bool(word), true) << word;
    for (std::string_view word : {"false", "No", "OFF", "0"}) EXPECT_EQ(parse_bool(word), false) << word;
    for (std::string_view word : {"", "2", "y", "enabled", " true"}) EXPECT_FALSE(parse_bool(word)) << word;
}

TEST(ParseConfig, CaptureFolderNamesAndRecentCaptures) {
    const ParsedConfig set = parse(
        "save_folder = \"D:\\Shots\\2026\"\nfile_name_pattern = 'Shot {counter}'\nrecent_captures = 0\n");
    EXPECT_EQ(set.values.save_folder, "D:\\Shots\\2026");
    EXPECT_EQ(set.values.file_name_pattern, "Shot {counter}");
    EXPECT_EQ(set.values.recent_captures, 0u);
    EXPECT_TRUE(set.warnings.empty());
    EXPECT_EQ(parse("save_folder = \\\\nas\\shots").values.save_folder, "\\\\nas\\shots");
    EXPECT_EQ(parse("save_folder = /Users/ana/Shots").values.save_folder, "/Users/ana/Shots");
    EXPECT_EQ(parse("save_folder = \"D:\\x\"\nsave_folder = ''").values.save_folder, "");
    EXPECT_EQ(parse("recent_captures = +20").values.recent_captures, 20u);

    // A folder that would depend on where Kestrix was started is refused, and so are a
    // pattern that names nothing or has an unknown token and a count out of range.
    const ParsedConfig bad = parse(
        "save_folder = Shots\nsave_folder = D:Shots\nfile_name_pattern = {date} {place}\nfile_name_pattern = ''\n"
        "recent_captures = 21\nrecent_captures = -1\nrecent_captures = 99999999999\n");
    EXPECT_EQ(bad.values, Config{});
    ASSERT_EQ(bad.warnings.size(), 7u);
    EXPECT_EQ(bad.warnings[0].text(), "line 1: save_folder: expected a full path such as D:\\Captures, got `Shots`");
    EXPECT_EQ(bad.warnings[1].line, 2u);
    EXPECT_EQ(bad.warnings[2].message,
              "file_name_pattern: `{place}` is not one of {date}, {time}, {counter}; keeping `Kestrix {date} {time}`");
    EXPECT_TRUE(bad.warnings[3].message.starts_with("file_name_pattern: expected a name")) << bad.warnings[3].message;
    for (size_t i = 4; i < 7; ++i)
        EXPECT_TRUE(bad.warnings[i].message.starts_with("recent_captures: expected 0-20, got `")) << bad.warnings[i].message;
    EXPECT_EQ(parse_count("4294967296", UINT32_MAX), std::nullopt);
    EXPECT_EQ(parse_count("4294967295", UINT32_MAX), UINT32_MAX);
}

TEST(ParseConfig, Language) {
    for (std::string_view line : {"language = system", "language = auto", "language =", "language = \"\""}) {
        ParsedConfig parsed = parse("language = de\n" + std::string(line));
        EXPECT_EQ(parsed.values.language, kAutomaticLanguage) << line;
        EXPECT_TRUE(parsed.warnings.empty()) << line;
    }
    EXPECT_EQ(warning_of("language = Auto"), "language: `Auto` is not one Kestrix has");
    EXPECT_EQ(parse("language = zh_TW").values.language, 2);
    EXPECT_EQ(parse("language = pt-BR").values.language, 8);
    EXPECT_EQ(parse("language = \"zh-Hans\"").values.language, 1);
    EXPECT_EQ(parse("language = de\nlanguage = klingon").values.language, 7);  // a rejected value keeps the field
}

TEST(ParseConfig, UnusableLinesGiveWarningsInLineOrderAndTheRestStillApplies) {
    const ParsedConfig parsed = parse(
        "theme = dark\n"
        "Theme = dark\n"
        "just some text\n"
        "\n"
        "show_tray_icon = false\n"
        "= 5\n"
        "hotkey = Ctrl\n");
    EXPECT_FALSE(parsed.values.show_tray_icon);
    const std::vector<ConfigWarning> expected = {
        {"unknown key `theme`", 1},
        {"unknown key `theme`", 2},
        {"ignored, expected `key = value`: `just some text`", 3},
        {"unknown key ``", 6},
        {"hotkey: hotkey has no non-modifier key; keeping Ctrl+Alt+A", 7},
    };
    EXPECT_EQ(parsed.warnings, expected);
    EXPECT_EQ(parsed.warnings[2].text(), "line 3: ignored, expected `key = value`: `just some text`");
}

TEST(ParseConfig, CommentsAreCutBeforeQuotesAreRead) {
    EXPECT_EQ(parse("hotkey = Ctrl+Q # quit").values.hotkey.text(), "Ctrl+Q");
    // The "#" inside the quotes still starts a comment, leaving an unmatched quote.
    EXPECT_EQ(warning_of("language = \"de#x\""), "language: `\"de` is not one Kestrix has");
    EXPECT_TRUE(parse("#hotkey = nonsense").warnings.empty());
    EXPECT_EQ(warning_of("  just text # hotkey = Ctrl+Q"), "ignored, expected `key = value`: `just text`");
}

TEST(ParseConfig, LaterLinesWinAndARejectedHotkeyKeepsTheEarlierOne) {
    ParsedConfig parsed = parse("hotkey = Ctrl+Q\nhotkey = F9\n");
    EXPECT_EQ(parsed.values.hotkey.text(), "F9");
    parsed = parse("hotkey = Shift+F9\nhotkey = Ctrl+Esc\n");
    EXPECT_EQ(parsed.values.hotkey.text(), "Shift+F9");
    ASSERT_EQ(parsed.warnings.size(), 1u);
    EXPECT_EQ(parsed.warnings[0].text(), "line 2: hotkey: unknown hotkey token `Esc`; keeping Shift+F9");
    parsed = parse("overlay_dim_percent = 10\noverlay_dim_percent = 20\noverlay_dim_percent = 200\n");
    EXPECT_EQ(parsed.values.overlay_dim_percent, 20);
}

TEST(ParseConfig, TheOtherModesHotkeysAreOffUnlessACombinationIsGiven) {
    EXPECT_EQ(parse("").values.hotkey_screen, std::nullopt);
    ParsedConfig parsed = parse("hotkey_last_region = Ctrl+Shift+L\nHOTKEY_SCREEN = 'shift+f9'\nhotkey_window = \" Alt+PrtSc \"\n");
    EXPECT_TRUE(parsed.warnings.empty());
    EXPECT_EQ(parsed.values.hotkey_last_region, parse_hotkey("Ctrl+Shift+L").value());
    EXPECT_EQ(parsed.values.hotkey_screen, parse_hotkey("Shift+F9").value());
    EXPECT_EQ(parsed.values.hotkey_window, parse_hotkey("Alt+PrintScreen").value());
    // "off" in any case, quoted or not, and a later line wins.
    parsed = parse("hotkey_screen = F9\nhotkey_screen = OFF\nhotkey_window = F10\nhotkey_window = \"off\"\n");
    EXPECT_TRUE(parsed.warnings.empty());
    EXPECT_EQ(parsed.values.hotkey_screen, std::nullopt);
    EXPECT_EQ(parsed.values.hotkey_window, std::nullopt);
}

TEST(ParseConfig, AnUnusableHotkeyOfAnotherModeIsAWarningAndOff) {
    // Unlike the capture hotkey, which keeps the earlier one, an unusable value turns it off.
    ParsedConfig parsed = parse("hotkey_screen = F9\nhotkey_screen = Ctrl+Esc\nhotkey_window =\nhotkey_last_region = Ctrl\n");
    EXPECT_EQ(parsed.values, Config{});
    ASSERT_EQ(parsed.warnings.size(), 3u);
    EXPECT_EQ(parsed.warnings[0].text(), "line 2: hotkey_screen: unknown hotkey token `Esc`; turned off");
    EXPECT_EQ(parsed.warnings[1].text(), "line 3: hotkey_window: hotkey is empty; turned off");
    EXPECT_EQ(parsed.warnings[2].text(), "line 4: hotkey_last_region: hotkey has no non-modifier key; turned off");
}

TEST(ParseConfig, TwoKeysWithOneCombinationTurnTheLaterOneOff) {
    ParsedConfig parsed = parse("hotkey_window = F9\nbogus\nhotkey_screen = F9\nlanguage = xx\n");
    EXPECT_EQ(parsed.values.hotkey_window, parse_hotkey("F9").value());
    EXPECT_EQ(parsed.values.hotkey_screen, std::nullopt);
    ASSERT_EQ(parsed.warnings.size(), 3u);
    // In line order with the file's other warnings.
    EXPECT_EQ(parsed.warnings[0].line, 2u);
    EXPECT_EQ(parsed.warnings[1].text(), "line 3: hotkey_screen: F9 is already taken by `hotkey_window`; turned off");
    EXPECT_EQ(parsed.warnings[2].line, 4u);

    // The capture hotkey keeps its combination, the default one too, whichever line is later.
    parsed = parse("hotkey_last_region = ctrl+alt+a\n");
    EXPECT_EQ(parsed.values.hotkey_last_region, std::nullopt);
    ASSERT_EQ(parsed.warnings.size(), 1u);
    EXPECT_EQ(parsed.warnings[0].text(), "line 1: hotkey_last_region: Ctrl+Alt+A is already taken by `hotkey`; turned off");
    parsed = parse("hotkey_screen = Shift+F2\nhotkey = Shift+F2\n");
    EXPECT_EQ(parsed.values.hotkey.text(), "Shift+F2");
    EXPECT_EQ(parsed.values.hotkey_screen, std::nullopt);
    ASSERT_EQ(parsed.warnings.size(), 1u);
    EXPECT_EQ(parsed.warnings[0].line, 1u);

    // What counts is what the lines leave: a clash that a later line undoes is none.
    parsed = parse("hotkey_screen = F9\nhotkey_window = F9\nhotkey_screen = F8\n");
    EXPECT_TRUE(parsed.warnings.empty());
    EXPECT_EQ(parsed.values.hotkey_screen, parse_hotkey("F8").value());
    EXPECT_EQ(parsed.values.hotkey_window, parse_hotkey("F9").value());
    // Three the same: the earliest line keeps it.
    parsed = parse("hotkey_window = F4\nhotkey_last_region = F4\nhotkey_screen = F4\n");
    EXPECT_EQ(parsed.values.hotkey_window, parse_hotkey("F4").value());
    EXPECT_EQ(parsed.values.hotkey_last_region, std::nullopt);
    EXPECT_EQ(parsed.values.hotkey_screen, std::nullopt);
    ASSERT_EQ(parsed.warnings.size(), 2u);
    EXPECT_EQ(parsed.warnings[0].text(), "line 2: hotkey_last_region: F4 is already taken by `hotkey_window`; turned off");
    EXPECT_EQ(parsed.warnings[1].text(), "line 3: hotkey_screen: F4 is already taken by `hotkey_window`; turned off");
}

TEST(ParseConfig, OnlyAUsableHotkeyLineCountsAsTheUsersChoice) {
    EXPECT_FALSE(parse_config("").hotkey_written);
    EXPECT_FALSE(parse_config("overlay_dim_percent = 30\n# hotkey = \"F9\"\n").hotkey_written);
    EXPECT_FALSE(parse_config("hotkey = \"Ctrl+Alt+Esc\"\n").hotkey_written);
    // The default written out is a choice too: the user asked for exactly it.
    EXPECT_TRUE(parse_config("HotKey = 'Ctrl+Alt+A'\n").hotkey_written);
    EXPECT_TRUE(parse_config("hotkey = \"F9\"\nhotkey = \"Ctrl+\"\n").hotkey_written);
}

TEST(ParseConfig, CrlfAndUnicodeSpaceReadTheSame) {
    const std::string lf = "hotkey = Ctrl+Shift+S\nlanguage = ja\ntransfer_enabled = true\nbogus\n";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const ParsedConfig a = parse(lf), b = parse(crlf);
    EXPECT_EQ(a.values, b.values);
    EXPECT_EQ(a.warnings, b.warnings);
    EXPECT_EQ(b.warnings[0].message, "ignored, expected `key = value`: `bogus`");
    // No-break and ideographic spaces are white space too.
    EXPECT_EQ(parse("\xC2\xA0language\xE3\x80\x80= ko\xC2\xA0").values.language, 4);
}

TEST(RenderConfig, ReadingItBackGivesTheSameConfigForEveryValue) {
    std::vector<Config> configs;
    for (Language language = 0; language < kLanguageCount; ++language) {
        Config c;
        c.language = language;
        configs.push_back(c);
    }
    for (int dim = 0; dim <= 100; ++dim) {
        Config c;
        c.overlay_dim_percent = uint8_t(dim);
        configs.push_back(c);
    }
    for (int bits = 0; bits < 16; ++bits) {
        Config c;
        c.show_confirmation = bits & 1;
        c.transfer_enabled = bits & 2;
        c.show_tray_icon = bits & 4;
        c.check_for_updates = bits & 8;
        configs.push_back(c);
    }
    for (Hotkey::Key key : {Hotkey::Key{Hotkey::PrintScreen{}}, Hotkey::Key{Hotkey::Insert{}},
                            Hotkey::Key{Hotkey::Function{24}}, Hotkey::Key{Hotkey::Char{U'7'}}})
        for (uint32_t modifiers = 0; modifiers < 16; ++modifiers) {
            Config c;
            c.hotkey = Hotkey{key, modifiers};
            configs.push_back(c);
        }
    // Backslashes, quotes and spaces at the ends stay as they are in single quotes.
    for (std::string folder : {"D:\\Captures", "\\\\nas\\shots\\", "C:/It's \"here\" ", "/home/ana"}) {
        Config c;
        c.save_folder = folder;
        c.file_name_pattern = " " + folder.substr(3) + " {counter}'";
        c.recent_captures = uint32_t(folder.size() % 21);
        configs.push_back(c);
    }
    const std::optional<Hotkey> extras[] = {std::nullopt, *parse_hotkey("Ctrl+Shift+L"), *parse_hotkey("Win+F9"),
                                            *parse_hotkey("PrintScreen")};
    for (size_t a = 0; a < 4; ++a)
        for (size_t b = 0; b < 4; ++b)
            for (size_t c = 0; c < 4; ++c) {
                if ((a && a == b) || (a && a == c) || (b && b == c)) continue;
                Config config;
                config.hotkey_last_region = extras[a];
                config.hotkey_screen = extras[b];
                config.hotkey_window = extras[c];
                configs.push_back(config);
            }
    for (const Config& config : configs) {
        const std::string text = render_config(config);
        const ParsedConfig parsed = parse(text);
        EXPECT_EQ(parsed.values, config) << text;
        EXPECT_TRUE(parsed.warnings.empty()) << text;
    }
}

TEST(RenderConfig, LfOnlyEndingWithOneLf) {
    Config config;
    config.language = 1;
    config.hotkey = Hotkey{Hotkey::Function{12}, Hotkey::kShift};
    const std::string text = render_config(config);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_TRUE(text.starts_with("# Kestrix configuration. Every key is optional.\n"));
    EXPECT_TRUE(text.ends_with("gone when Kestrix exits.\nrecent_captures = 10\n"));
    EXPECT_NE(text.find("off and Kestrix only ever checks when you ask it to.\ncheck_for_updates = true\n"),
              std::string::npos);
    EXPECT_NE(text.find("\nhotkey_last_region = off\nhotkey_screen = off\nhotkey_window = off\n"), std::string::npos);
    EXPECT_NE(text.find("\nsave_folder = ''\n"), std::string::npos);
    EXPECT_NE(text.find("\nfile_name_pattern = 'Kestrix {date} {time}'\n"), std::string::npos);
    EXPECT_NE(text.find("\nhotkey = \"Shift+F12\"\n"), std::string::npos);
    EXPECT_NE(text.find("\nlanguage = \"zh-Hans\"\n"), std::string::npos);
    EXPECT_NE(text.find("\noverlay_dim_percent = 45\n"), std::string::npos);
    EXPECT_NE(render_config(Config{}).find("\nlanguage = \"auto\"\n"), std::string::npos);
}

TEST(LoadConfig, NoFileAnywhereGivesDefaultsWithSourceNone) {
    Places places;
    LoadedConfig loaded = load_config(places.dirs);
    EXPECT_EQ(loaded.source, ConfigSource::None);
    EXPECT_FALSE(loaded.path);
    EXPECT_EQ(loaded.values, Config{});
    places.dirs.appdata.reset();
    EXPECT_EQ(load_config(places.dirs).source, ConfigSource::None);
}

TEST(LoadConfig, TheFileBesideTheProgramComesFirst) {
    Places places;
    write(places.per_user(), "overlay_dim_percent = 20\n");
    LoadedConfig loaded = load_config(places.dirs);
    EXPECT_EQ(loaded.source, ConfigSource::PerUser);
    EXPECT_EQ(loaded.path, places.per_user());
    EXPECT_EQ(loaded.values.overlay_dim_percent, 20);

    write(places.beside(), "overlay_dim_percent = 30\nnonsense\n");
    loaded = load_config(places.dirs);
    EXPECT_EQ(loaded.source, ConfigSource::BesideProgram);
    EXPECT_EQ(loaded.path, places.beside());
    EXPECT_EQ(loaded.values.overlay_dim_percent, 30);
    ASSERT_EQ(loaded.warnings.size(), 1u);
    EXPECT_EQ(loaded.warnings[0].line, 2u);

    // Without APPDATA only the file beside the program counts.
    places.dirs.appdata.reset();
    EXPECT_EQ(load_config(places.dirs).source, ConfigSource::BesideProgram);
    fs::remove(places.beside());
    EXPECT_EQ(load_config(places.dirs).source, ConfigSource::None);
}

TEST(LoadConfig, AnEmptyFileIsStillTheSource) {
    Places places;
    write(places.per_user(), "");
    LoadedConfig loaded = load_config(places.dirs);
    EXPECT_EQ(loaded.source, ConfigSource::PerUser);
    EXPECT_EQ(loaded.values, Config{});
    EXPECT_TRUE(loaded.warnings.empty());
}

TEST(LoadConfig, NonUtf8AndUnreadableFilesAreIgnoredWhole) {
    Places places;
    write(places.per_user(), "overlay_dim_percent = 20\n");
    // One bad byte anywhere sets the whole file aside, even after good lines.
    write(places.beside(), "overlay_dim_percent = 30\nlanguage = \xFF\n");
    LoadedConfig loaded = load_config(places.dirs);
    EXPECT_EQ(loaded.source, ConfigSource::None);
    EXPECT_FALSE(loaded.path);
    EXPECT_EQ(loaded.values, Config{});
    EXPECT_TRUE(loaded.warnings.empty());

    // An encoded surrogate is not UTF-8 either.
    write(places.beside(), "language = \xED\xA0\x80\n");
    EXPECT_EQ(load_config(places.dirs).source, ConfigSource::None);

    // Something that is not a file beside the program still hides the per-user file.
    fs::remove(places.beside());
    fs::create_directories(places.beside());
    EXPECT_EQ(load_config(places.dirs).source, ConfigSource::None);
}

TEST(LoadConfig, AByteOrderMarkIsNotPartOfTheFirstKey) {
    Places places;
    write(places.beside(), "\xEF\xBB\xBFhotkey = F8\r\n");
    LoadedConfig loaded = load_config(places.dirs);
    EXPECT_EQ(loaded.values.hotkey.text(), "F8");
    EXPECT_TRUE(loaded.warnings.empty());
}

TEST(SaveConfig, GoesBesideTheProgramWhenAFileIsThereElsePerUser) {
    Places places;
    Config config;
    config.language = 9;
    config.hotkey = Hotkey{Hotkey::Insert{}, Hotkey::kWin};

    ASSERT_TRUE(save_config(config, places.dirs).ok());  // creates APPDATA\Kestrix
    EXPECT_EQ(read(places.per_user()), render_config(config));
    EXPECT_FALSE(fs::exists(places.beside()));
    EXPECT_EQ(load_config(places.dirs).values, config);

    write(places.beside(), "# portable\n");
    config.overlay_dim_percent = 80;
    ASSERT_TRUE(save_config(config, places.dirs).ok());
    EXPECT_EQ(read(places.beside()), render_config(config));
    EXPECT_NE(read(places.per_user()), render_config(config));
    const LoadedConfig loaded = load_config(places.dirs);
    EXPECT_EQ(loaded.source, ConfigSource::BesideProgram);
    EXPECT_EQ(loaded.values, config);
    // Nothing is left behind next to the file.
    EXPECT_EQ(std::distance(fs::directory_iterator(places.dirs.program_dir), fs::directory_iterator()), 1);
}

TEST(SaveConfig, NoWritableDirectoryWithoutAppdataOrAFileBesideTheProgram) {
    Places places;
    places.dirs.appdata.reset();
    auto saved = save_config(Config{}, places.dirs);
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error(), "no writable configuration directory");
    places.dirs.appdata = fs::path();
    EXPECT_EQ(save_config(Config{}, places.dirs).error(), "no writable configuration directory");
}

TEST(SaveConfig, DirectoryThatCannotBeCreatedIsAnError) {
    Places places;
    write(*places.dirs.appdata, "a file where the directory should be");
    auto saved = save_config(Config{}, places.dirs);
    ASSERT_FALSE(saved.ok());
    EXPECT_FALSE(saved.error().empty());
    EXPECT_EQ(read(*places.dirs.appdata), "a file where the directory should be");
}

TEST(SaveConfig, NonAsciiDirectories) {
    TempDir root;
    const fs::path base = root.path() / path_from_utf8("Zoë 設定 Ünïcode");
    ConfigDirs dirs{base / "program", base / path_from_utf8("AppData Ωμέγα")};
    fs::create_directories(dirs.program_dir);
    Config config;
    config.language = 15;
    ASSERT_TRUE(save_config(config, dirs).ok());
    const LoadedConfig loaded = load_config(dirs);
    EXPECT_EQ(loaded.source, ConfigSource::PerUser);
    EXPECT_EQ(loaded.values, config);
    EXPECT_TRUE(utf8_from_path(*loaded.path).ends_with("AppData Ωμέγα/Kestrix/kestrix.toml") ||
                utf8_from_path(*loaded.path).ends_with("AppData Ωμέγα\\Kestrix\\kestrix.toml"))
        << utf8_from_path(*loaded.path);
}

namespace {

// What a directory holds, by name.
std::vector<std::string> names_in(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(utf8_from_path(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

#ifdef _WIN32
// The system's own message for an error code, as the user should read it.
std::string system_text(DWORD code) {
    wchar_t text[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  DWORD(std::size(text)), nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ')) --length;
    return utf8_from_utf16(std::u16string(text, text + length));
}
#endif

}  // namespace

// The earlier file survives any failed write, and nothing is left beside it.
TEST(AtomicWrite, AFailedWriteLeavesTheEarlierFileIntactAndNoTemporaryFile) {
    Places places;
    const std::string earlier = "hotkey = F7\n";
    write(places.beside(), earlier);
#ifdef _WIN32
    // Windows refuses to replace a file that another program holds open without
    // sharing its deletion (as the C runtime opens files).
    std::FILE* held = _wfopen(places.beside().c_str(), L"rb");
    ASSERT_NE(held, nullptr);
    auto saved = save_config(Config{}, places.dirs);
    std::fclose(held);
    ASSERT_FALSE(saved.ok());
    // The system's text for the refusal, not a C runtime wording for another code.
    EXPECT_TRUE(saved.error() == system_text(ERROR_SHARING_VIOLATION) || saved.error() == system_text(ERROR_ACCESS_DENIED))
        << saved.error();
#else
    // A file size limit makes the write itself fail, in a child process of its own.
    const auto save_with_a_size_limit = [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4, 4};
        setrlimit(RLIMIT_FSIZE, &limit);
        auto saved = save_config(Config{}, places.dirs);
        std::exit(!saved.ok() && saved.error() == std::generic_category().message(EFBIG) ? 0 : 1);
    };
    EXPECT_EXIT(save_with_a_size_limit(), ::testing::ExitedWithCode(0), "");
#endif
    EXPECT_EQ(read(places.beside()), earlier);
    EXPECT_EQ(names_in(places.dirs.program_dir), std::vector<std::string>{"kestrix.toml"});
    EXPECT_EQ(load_config(places.dirs).values.hotkey.text(), "F7");
}

TEST(AtomicWrite, AFileOfTheUsersNamedLikeATemporaryOneIsLeftAlone) {
    TempDir dir;
    const fs::path target = dir.path() / "shot.png";
    write(target, "old");
    write(dir.path() / "shot.png.tmp", "the user's own file");
    ASSERT_TRUE(write_file_atomically(target, "new").ok());
    EXPECT_EQ(read(target), "new");
    EXPECT_EQ(read(dir.path() / "shot.png.tmp"), "the user's own file");
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"shot.png", "shot.png.tmp"}));
}

TEST(AtomicWrite, AReplaceThatFailsSaysWhyAndLeavesNothingBehind) {
    TempDir dir;
    const fs::path target = dir.path() / "taken";
    fs::create_directories(target / "inside");  // a directory holds the name
    auto written = write_file_atomically(target, "new");
    ASSERT_FALSE(written.ok());
#ifdef _WIN32
    EXPECT_EQ(written.error(), system_text(ERROR_ACCESS_DENIED));
#else
    EXPECT_EQ(written.error(), std::generic_category().message(EISDIR));
#endif
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"taken"});
    EXPECT_EQ(names_in(target), std::vector<std::string>{"inside"});
}

#ifndef _WIN32
TEST(AtomicWrite, OverwritesInPlaceWhenNoFileCanBeMadeBesideIt) {
    TempDir dir;
    // A name so long that no longer one fits beside it.
    const fs::path target = dir.path() / std::string(250, 'k');
    write(target, "a much longer earlier content than the new one\n");
    ASSERT_TRUE(write_file_atomically(target, "new\n").ok());
    EXPECT_EQ(read(target), "new\n");
    EXPECT_EQ(names_in(dir.path()).size(), 1u);
}
#endif

TEST(AtomicWrite, ReplacesTheFileALinkPointsAt) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#else
    TempDir dir;
    const fs::path real = dir.path() / "dotfiles" / "kestrix.toml";
    write(real, "old\n");
    fs::create_symlink(real, dir.path() / "kestrix.toml");
    ASSERT_TRUE(write_file_atomically(dir.path() / "kestrix.toml", "new\n").ok());
    EXPECT_TRUE(fs::is_symlink(dir.path() / "kestrix.toml"));
    EXPECT_EQ(read(real), "new\n");
#endif
}

#ifndef _WIN32
TEST(ProcessConfigDirs, TheExecutablesDirectoryAndTheAppdataVariable) {
    const char* earlier = std::getenv("APPDATA");
    const std::string kept = earlier ? earlier : "";
    setenv("APPDATA", "/some/where", 1);
    ConfigDirs dirs = process_config_dirs();
    EXPECT_TRUE(fs::exists(dirs.program_dir / "core_tests")) << dirs.program_dir;
    EXPECT_EQ(dirs.appdata, fs::path("/some/where"));
    unsetenv("APPDATA");
    EXPECT_FALSE(process_config_dirs().appdata);
    setenv("APPDATA", "", 1);  // set but empty is no directory at all
    EXPECT_FALSE(process_config_dirs().appdata);
    if (earlier) setenv("APPDATA", kept.c_str(), 1); else unsetenv("APPDATA");
}
#endif
