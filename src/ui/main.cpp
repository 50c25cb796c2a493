// Jobforge 3, the career editor for The Sims.
#include <QApplication>

#include "platform/FileSystem.h"
#include "platform/HostEnvironment.h"
#include "platform/Messages.h"
#include "platform/SettingsStore.h"
#include "ui/EditorStartup.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(jf::kProgramCaption));

    std::unique_ptr<jf::SettingsStore> store = jf::createSystemSettingsStore();
    jf::EditorStartupOptions options;
    options.screenshotPath = qEnvironmentVariable("JF_SCREENSHOT").toStdString();
    return jf::runEditor(*store, jf::legacySearchPlaces(jf::systemEnvironment()),
                         jf::systemFileSystem(), options);
}
