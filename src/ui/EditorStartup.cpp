#include "ui/EditorStartup.h"

#include <QString>
#include <QTimer>

#include "platform/HostEnvironment.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "startup/EditorSession.h"
#include "startup/Loader.h"
#include "startup/Startup.h"
#include "ui/LoadingDialog.h"
#include "ui/QtPrompts.h"

namespace jf {

bool runLoadingDialog(EditorSession& session, QWidget* parent) {
    LoadRequest request;
    request.folder = session.state.installation.gameDataFolder;
    LoadingDialog dialog(
        request, [&session](LoadRequest& r, Prompts& prompts) { runLoader(r, session, prompts); },
        nullptr, parent);
    return dialog.exec() == kLoadResultOk;
}

int runEditor(SettingsStore& store, const LegacySearchPlaces& places, FileSystem& fileSystem,
              const EditorStartupOptions& options) {
    QtPrompts boxes;
    Prompts& prompts = options.prompts != nullptr ? *options.prompts : boxes;

    EditorSession session(fileSystem, store);
    if (!startUp(store, places, session.state)) {
        prompts.show(errorMessage(kRegistryErrorText, kRegistryErrorCaption));
        return kEditorExitFailed;
    }

    auto loadSession = options.load ? options.load : runLoadingDialog;
    MainDialog::LoadStep load = [&session, loadSession](QWidget* owner) {
        return loadSession(session, owner);
    };
    int exitCode = kEditorExitOk;
    {
        MainDialog window(session, prompts, load, options.dialogs);
        boxes.setOwner(&window);
        if (!window.initialise()) {
            exitCode = kEditorExitFailed;
        } else {
            if (!options.screenshotPath.empty()) {
                const QString path = QString::fromStdString(options.screenshotPath);
                QTimer::singleShot(kScreenshotDelayMs, &window, [&window, &exitCode, path] {
                    if (!window.grab().save(path, "PNG")) {
                        exitCode = kEditorExitFailed;
                    }
                    window.done(QDialog::Accepted);
                });
            }
            window.exec();
        }
    }
    finishRun(session.careerView, session.cardView);
    return exitCode;
}

}  // namespace jf
