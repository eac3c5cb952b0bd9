// Starting programs: hidden, in a terminal, or through the launcher.
#include <cstring>
#include <string>
#include <vector>

#include "frame/guard.h"
#include "os/shell_words.h"
#include "pelund/launch.h"
#include "frame/utf.h"
#include "platform/file_system.h"
#include "platform/process_spawn.h"

namespace pelund {
namespace {

constexpr size_t kErrorText = 256;

const char* launcherFile()
{
    for (const char* name : {"holdexec", "holdexec.exe"})
        if (pathStatus(name) == 0 && !isFolder(name))
            return name;
    return nullptr;
}

std::string unquoted(std::string program)
{
    if (program.size() >= 2 && program.front() == '"' && program.back() == '"')
        return program.substr(1, program.size() - 2);
    return program;
}

// The program and the arguments that start it.
int commandFor(const std::string& program, const std::string& parameters, bool show, bool useLauncher,
               std::vector<std::string>* argv)
{
    std::string commandText = program + " " + parameters;
    if (const char* launcher = useLauncher ? launcherFile() : nullptr) {
        if (!splitShellWords(commandText, argv))
            return EINVAL;
        argv->insert(argv->begin(), std::string("./") + launcher);
        return 0;
    }
    if (show) {
        if (useLauncher)  // the window stays open once the program ends
            commandText += "; exec \"${SHELL:-/bin/sh}\" -i";
        *argv = {"x-terminal-emulator", "-e", "sh", "-c", commandText};
        return 0;
    }
    if (!splitShellWords(parameters, argv))
        return EINVAL;
    argv->insert(argv->begin(), unquoted(program));
    return 0;
}

void writeErrorText(ps_char16* out, int error)
{
    char buffer[kErrorText];
    const char* text = strerror_r(error, buffer, sizeof buffer);
    std::u16string wide = utf8ToUtf16(text);
    wide.resize(std::min(wide.size(), kErrorText - 1));
    std::memcpy(out, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
}

int launch(const ps_char16* program, const ps_char16* parameters, int show, int useLauncher,
           ps_char16* errorText)
{
    if (!program)
        return PS_FAILURE;
    std::vector<std::string> argv;
    int rc = commandFor(utf16ToUtf8(program), parameters ? utf16ToUtf8(parameters) : std::string(),
                        show != 0, useLauncher != 0, &argv);
    if (rc == 0)
        rc = spawnDetached(argv);
    if (rc != 0 && errorText)
        writeErrorText(errorText, rc);
    return rc;
}

}  // namespace
}  // namespace pelund

extern "C" {

PELUND_API int vnFile_launchApplication(const ps_char16* program, const ps_char16* parameters, int show,
                                        int use_launcher, int reserved, void* parent_window,
                                        ps_char16* error_text)
{
    (void)reserved;
    (void)parent_window;
    return pelund::guarded(PS_FAILURE, [&] {
        return pelund::launch(program, parameters, show, use_launcher, error_text);
    });
}

}  // extern "C"
