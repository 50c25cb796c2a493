#pragma once
// The pictures of the user guide (docs/images), made by `./dev.sh
// screenshots`: with the main window loaded and shown, the tour opens every
// dialog in turn through the window's own buttons and menus, saves each
// window's contents (QWidget::grab, without the frame) as a PNG and closes
// it again with Cancel. Nothing is edited, so nothing is written to the
// game. Only used when the editor is started with JF_SCREENSHOT_DIR.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace jf {

class MainDialog;

// Delay between a window opening and its picture being taken.
inline constexpr int kTourGrabDelayMs = 150;

class ScreenshotTour {
public:
    // `folder` must exist.
    ScreenshotTour(MainDialog& window, QString folder);

    // Takes every picture; the names (without ".png") of those that could
    // not be made, empty when all were written. Pictures already written
    // stay in the folder either way.
    QStringList run();

private:
    // Runs `open`, which is to open a modal window above the current one;
    // once shown, that window is saved as `name`, `inside` runs while it is
    // still open (to open a window from it), and it is closed with Cancel.
    // When `open` returns without such a window having been pictured, the
    // picture counts as missing.
    void shoot(const QString& name, const std::function<void()>& open,
               const std::function<void(QWidget*)>& inside = {});
    void save(QWidget* shown, const QString& name);
    void loadingWindow();
    void replaceCareerDialog();
    void languageMenu();

    MainDialog& window_;
    QString folder_;
    QStringList missing_;
};

}  // namespace jf
