// Jobforge 3, the career editor for The Sims.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "platform/FileSystem.h"
#include "platform/HostEnvironment.h"
#include "platform/Messages.h"
#include "platform/SettingsStore.h"
#include "platform/Version.h"
#include "ui/Artwork.h"
#include "ui/EditorStartup.h"

#ifdef _WIN32
constexpr char kWindowsPlatform[] = "windows:fontengine=directwrite";
#endif

namespace {

// The text of --help, also the source of the manual page jobforge3(1).
constexpr char kHelpText[] =
    "Usage: jobforge3 [OPTION]...\n"
    "Edit the careers of the game The Sims (2000): job names and texts in every\n"
    "language of the game, requirements, salaries, hours, outfits, cars, chance\n"
    "cards, career icons, the global options and texts; share careers as .car and\n"
    ".cbk exchange files.\n"
    "\n"
    "The editor finds the game in the Wine or Proton prefix named by WINEPREFIX\n"
    "(else ~/.wine) or a Steam copy of The Sims Legacy Collection, loads its\n"
    "career files into memory and writes them back only when you save.\n"
    "\n"
    "Options:\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "The options of the Qt toolkit (-platform, -style, ...) are accepted too.\n"
    "\n"
    "Environment:\n"
    "  WINEPREFIX       the Wine prefix holding the game (default ~/.wine)\n"
    "  XDG_CONFIG_HOME  the editor's settings are kept in\n"
    "                   $XDG_CONFIG_HOME/jobforge3/settings.reg\n"
    "                   (default ~/.config/jobforge3/settings.reg)\n";

}  // namespace

int main(int argc, char** argv) {
    // Answered before any window system is needed.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("jobforge3 %s\n", jf::programVersionLine().c_str());
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kHelpText, stdout);
            return 0;
        }
    }
#ifdef _WIN32
    // Qt's default GDI font engine leaves the text of line edits blank under
    // Wine; DirectWrite draws every text there and is Windows' own modern
    // text engine. A -platform argument or QT_QPA_PLATFORM still decides.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", kWindowsPlatform);
    }
#endif
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(jf::kProgramCaption));
    // Lets the desktop match the windows to the installed desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(JF_DESKTOP_ID));
    QApplication::setWindowIcon(jf::programIcon());

    std::unique_ptr<jf::SettingsStore> store = jf::createSystemSettingsStore();
    jf::EditorStartupOptions options;
    options.screenshotPath = qEnvironmentVariable("JF_SCREENSHOT").toStdString();
    options.screenshotFolder = qEnvironmentVariable("JF_SCREENSHOT_DIR").toStdString();
    options.startupProbe = qEnvironmentVariableIsSet("JF_STARTUP_PROBE");
    return jf::runEditor(*store, jf::legacySearchPlaces(jf::systemEnvironment()),
                         jf::systemFileSystem(), options);
}
