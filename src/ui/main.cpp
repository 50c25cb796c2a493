// Jobforge 3, the career editor for The Sims.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "platform/FileSystem.h"
#include "platform/HostEnvironment.h"
#include "platform/Messages.h"
#include "platform/SettingsStore.h"
#include "platform/Version.h"
#include "ui/EditorStartup.h"

#ifdef _WIN32
constexpr char kWindowsPlatform[] = "windows:fontengine=directwrite";
#endif

int main(int argc, char** argv) {
    // Answered before any window system is needed.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("jobforge3 %s\n", jf::programVersionLine().c_str());
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

    std::unique_ptr<jf::SettingsStore> store = jf::createSystemSettingsStore();
    jf::EditorStartupOptions options;
    options.screenshotPath = qEnvironmentVariable("JF_SCREENSHOT").toStdString();
    return jf::runEditor(*store, jf::legacySearchPlaces(jf::systemEnvironment()),
                         jf::systemFileSystem(), options);
}
