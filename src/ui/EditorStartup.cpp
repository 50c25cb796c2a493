#include "ui/EditorStartup.h"

#include <QString>
#include <QTimer>
#include <cstdio>

#include "document/Document.h"
#include "document/EditorSession.h"
#include "platform/HostEnvironment.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"
#include "startup/SaveJournal.h"
#include "startup/Startup.h"
#include "ui/LoadingDialog.h"
#include "ui/QtPrompts.h"
#include "ui/ScreenshotTour.h"
#include "ui/StandardDialogs.h"
#include "ui/StartupProbe.h"

namespace jf {

bool runLoadingDialog(EditorSession& session, QWidget* parent, Prompts* boxes) {
    LoadRequest request;
    request.folder = session.state.installation.gameDataFolder;
    LoadingDialog dialog(
        request, [&session](LoadRequest& r, Prompts& prompts) { runLoader(r, session, prompts); },
        boxes, parent);
    return dialog.execWhenSlow() == static_cast<int>(LoadResult::Ok);
}

int runEditor(SettingsStore& store, const LegacySearchPlaces& places, FileSystem& fileSystem,
              const EditorStartupOptions& options) {
    QtPrompts boxes;
    // The screenshot and probe runs are unattended: their boxes answer themselves, and the
    // loading window's boxes go through the same object.
    Prompts* loaderBoxes = options.prompts;
    const bool unattended = !options.screenshotPath.empty() || !options.screenshotFolder.empty() ||
                            options.startupProbe;
    if (unattended && options.prompts == nullptr) {
        boxes.setUnattended(kUnattendedAnswerMs);
        loaderBoxes = &boxes;
    }
    Prompts& prompts = options.prompts != nullptr ? *options.prompts : boxes;

    Document document(fileSystem, store);
    EditorSession& session = document.session();
    if (!startUp(store, places, session.state)) {
        prompts.show(errorMessage(kRegistryErrorText, kErrorCaption));
        return kEditorExitFailed;
    }
    // A save that was interrupted (a crash, a power cut) is finished or undone
    // before anything reads the game files; the user is told which.
    recoverInterruptedSave(fileSystem, session.state.installation.gameDataFolder, prompts);

    MainDialog::LoadStep load = [&session, &options, loaderBoxes](QWidget* owner) {
        return options.load ? options.load(session, owner)
                            : runLoadingDialog(session, owner, loaderBoxes);
    };
    int exitCode = kEditorExitOk;
    {
        StandardDialogs editingDialogs(document, prompts);
        MainDialog window(document, prompts, load,
                          options.dialogs != nullptr ? *options.dialogs : editingDialogs);
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
            if (!options.screenshotFolder.empty()) {
                const QString folder = QString::fromStdString(options.screenshotFolder);
                QTimer::singleShot(kScreenshotDelayMs, &window, [&window, &exitCode, folder] {
                    const QStringList missing = ScreenshotTour(window, folder).run();
                    for (const QString& name : missing) {
                        std::fprintf(stderr, "picture not made: %s\n", qPrintable(name));
                        exitCode = kEditorExitFailed;
                    }
                    window.done(QDialog::Accepted);
                });
            }
            if (options.startupProbe) {
                new StartupProbe(window, [&window] { window.done(QDialog::Accepted); });
            }
            window.exec();
        }
    }
    finishRun(session.careerView, session.cardView);
    return exitCode;
}

}  // namespace jf
