#include "ui/ScreenshotTour.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "document/Document.h"
#include "startup/Loader.h"
#include "ui/ChanceCardDialog.h"
#include "ui/LoadingDialog.h"
#include "ui/MainDialog.h"
#include "ui/ReplaceCareerDialog.h"

namespace jf {

ScreenshotTour::ScreenshotTour(MainDialog& window, QString folder)
    : window_(window), folder_(std::move(folder)) {}

void ScreenshotTour::save(QWidget* shown, const QString& name) {
    const QString path = QDir(folder_).filePath(name + QStringLiteral(".png"));
    if (shown->grab().toImage().convertToFormat(QImage::Format_RGB888).save(path, "PNG")) {
        std::printf("%s\n", path.toLocal8Bit().constData());
    } else {
        missing_.append(name);
    }
}

void ScreenshotTour::shoot(const QString& name, const std::function<void()>& open,
                           const std::function<void(QWidget*)>& inside) {
    QWidget* below = QApplication::activeModalWidget();
    bool pictured = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* shown = QApplication::activeModalWidget();
        if (shown == nullptr || shown == below) {
            return;
        }
        pictured = true;
        save(shown, name);
        if (inside) {
            inside(shown);
        }
        if (auto* dialog = qobject_cast<QDialog*>(shown)) {
            dialog->reject();
        }
    });
    timer.start(kTourGrabDelayMs);
    open();
    if (!pictured) {
        missing_.append(name);
    }
}

// The real loading window has closed long before the tour starts (a quick
// load does not show it at all); this one shows the loader's status line and
// waits until it is pictured.
void ScreenshotTour::loadingWindow() {
    LoadRequest request;
    std::atomic<bool> pictured{false};
    LoadingDialog dialog(
        request,
        [&pictured](LoadRequest&, Prompts& prompts) {
            prompts.status(kStatusLoadingCareers);
            while (!pictured.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        },
        nullptr, &window_);
    shoot(
        QStringLiteral("loading-window"), [&dialog] { dialog.exec(); },
        [&pictured](QWidget*) { pictured.store(true); });
}

void ScreenshotTour::languageMenu() {
    QAction* first = window_.action(kLanguageMenu[0].commandId);
    auto* menu = first != nullptr ? qobject_cast<QMenu*>(first->parent()) : nullptr;
    if (menu == nullptr) {
        missing_.append(QStringLiteral("language-menu"));
        return;
    }
    QMenuBar* bar = window_.menuBar();
    menu->popup(bar->mapToGlobal(bar->actionGeometry(menu->menuAction()).bottomLeft()));
    QApplication::processEvents();
    save(menu, QStringLiteral("language-menu"));
    menu->hide();
}

void ScreenshotTour::replaceCareerDialog() {
    ReplaceCareerDialog dialog(window_.prompts(), window_.document().database(), &window_);
    shoot(QStringLiteral("replace-career"), [&dialog] { dialog.exec(); });
}

QStringList ScreenshotTour::run() {
    missing_.clear();
    save(&window_, QStringLiteral("main-window"));
    loadingWindow();

    shoot(QStringLiteral("job-details"), [this] { window_.jobDetailsButton()->click(); });
    shoot(
        QStringLiteral("chance-card-list"), [this] { window_.chanceCardsButton()->click(); },
        [this](QWidget* shown) {
            if (auto* list = qobject_cast<ChanceCardListDialog*>(shown)) {
                // The second item: the first is the card's sound.
                list->itemList()->setCurrentRow(std::min(1, list->itemList()->count() - 1));
                shoot(QStringLiteral("chance-card-item"), [list] { list->editButton()->click(); });
            }
        });
    shoot(QStringLiteral("icons"), [this] { window_.modifyIconsButton()->click(); });

    const struct {
        const char* name;
        int command;
    } menuEntries[] = {
        {"global-options", command::kGlobalOptions}, {"global-texts", command::kGlobalTexts},
        {"import-file", command::kImport},           {"export-file", command::kExport},
        {"backup-file", command::kBackup},           {"about", command::kAbout},
    };
    for (const auto& entry : menuEntries) {
        QAction* command = window_.action(entry.command);
        shoot(QString::fromUtf8(entry.name), [command] {
            if (command != nullptr) {
                command->trigger();
            }
        });
    }
    replaceCareerDialog();
    languageMenu();
    return missing_;
}

}  // namespace jf
