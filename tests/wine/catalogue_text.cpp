// Prints one language's catalogue as the program holds it, "<message name>=<text>" a
// line, so that a script checks a window against the program's own texts:
//   catalogue_text de
#include <cstdio>
#include <string>

#include "kestrix/i18n.h"

int main(int argc, char** argv) {
    using namespace kestrix;
    const Language language = argc == 2 ? match_language_tag(argv[1]) : kAutomaticLanguage;
    if (language == kAutomaticLanguage) {
        std::fprintf(stderr, "usage: catalogue_text <language tag>\n");
        return 2;
    }
    for (size_t m = 0; m < kMessageCount; ++m) {
        const std::string name(message_name(Message(m)));
        const std::string text(catalogue_for(language)[Message(m)]);
        std::printf("%s=%s\n", name.c_str(), text.c_str());
    }
    return 0;
}
