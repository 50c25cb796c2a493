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

int main(int argc, char** argv) {
    // Answered before any window system is needed.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("jobforge3 %s\n", jf::programVersionLine().c_str());
            return 0;
        }
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(jf::kProgramCaption));

    std::unique_ptr<jf::SettingsStore> store = jf::createSystemSettingsStore();
    jf::EditorStartupOptions options;
    options.screenshotPath = qEnvironmentVariable("JF_SCREENSHOT").toStdString();
    options.screenshotFolder = qEnvironmentVariable("JF_SCREENSHOT_DIR").toStdString();
    options.startupProbe = qEnvironmentVariableIsSet("JF_STARTUP_PROBE");
    return jf::runEditor(*store, jf::legacySearchPlaces(jf::systemEnvironment()),
                         jf::systemFileSystem(), options);
}
