#include "program.h"

#include "answers.h"
#include "capture_to_file.h"
#include "command_line.h"
#include "diagnostics.h"
#include "kestrix/i18n.h"
#include "startup.h"

namespace kestrix {

int run_program(std::span<const std::string> arguments, AppEnvironment& env) {
    // Every answer before the language choice is in English, the default language.
    set_language(kEnglish);

    const Command command = parse_command(arguments);
    using Kind = Command::Kind;
    switch (command.kind) {
        case Kind::Run:
            return run_tray_application(env, StartKind::Normal);
        case Kind::AfterUpdate:
            return run_tray_application(env, StartKind::AfterUpdate);
        case Kind::AtLogin:
            return run_tray_application(env, StartKind::AtLogin);
        case Kind::Help:
            env.print(help_text());
            return kExitSuccess;
        case Kind::Version:
            env.print(version_line(env.platform.platform_name()));
            return kExitSuccess;
        case Kind::PrintConfig:
            // The warnings are left out: the printed file is the settings in effect.
            env.print(render_config(load_config(env.config_dirs).values));
            return kExitSuccess;
        case Kind::ConfigPath:
            env.print(config_file_line(load_config(env.config_dirs)));
            return kExitSuccess;
        case Kind::Diagnose:
            env.print(diagnostics_report(env.platform, env.config_dirs));
            return kExitSuccess;
        case Kind::Capture:
            if (command.capture.output) return capture_to_file(env, command.capture);
            return run_tray_application(env, StartKind::Normal, command.capture.request);
        case Kind::BadArguments:
            env.print(bad_arguments_text(command.argument));
            return kExitUnknownOption;
        case Kind::Unknown:
            env.print(unknown_option_text(command.argument));
            return kExitUnknownOption;
    }
    return kExitUnknownOption;
}

}  // namespace kestrix
