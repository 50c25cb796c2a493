#pragma once
// The two icons of one career track: the popup icon (84 x 63) and the
// button icons (one picture of 112 x 22). Each can be replaced by a BMP
// file of exactly that size, or saved to a BMP file. The file dialogs start
// in the folder of the icon file last chosen (platform/RecentFolders.h).
//
// The dialog holds its own two bitmaps, read from the icon store at
// opening; the caller takes them on OK and stores them (the store itself is
// never changed here). Exports write their files at once and are not undone
// by Cancel. When an icon cannot be had from the store at opening, a message
// says so and exec() ends with Cancel without showing the dialog.

#include <QDialog>
#include <cstdint>

#include "careers/Bitmap.h"
#include "platform/Prompts.h"

class QLabel;
class QPushButton;

namespace jf {

class FileSystem;
class IconStore;
class Prompts;
class SettingsStore;

class IconDialog final : public QDialog {
    Q_OBJECT

public:
    static constexpr char kCaption[] = "Modify icons...";
    static constexpr int kPopupWidth = 84;
    static constexpr int kPopupHeight = 63;
    static constexpr int kButtonWidth = 112;
    static constexpr int kButtonHeight = 22;

    // Where the opening failure messages send the user.
    static constexpr char kContactLine[] =
        "Please see \"Reporting problems\" in the README file that came with Jobforge 3.";

    // Reads the icons of the track with chunk id `trackId` from `icons`
    // (messages for icons that cannot be had). Files are opened through
    // `fileSystem`; `settings` keeps the folder last used. All must outlive
    // the dialog.
    IconDialog(Prompts& prompts, FileSystem& fileSystem, SettingsStore& settings,
               const IconStore& icons, std::uint16_t trackId, QWidget* parent = nullptr);

    // False when an icon could not be read at opening.
    bool opened() const { return opened_; }
    // Cancel at once when opening failed; the modal run otherwise.
    int exec() override;

    const Bitmap& popup() const { return popup_; }
    const Bitmap& button() const { return button_; }

    QLabel* popupPicture() const { return popupPicture_; }
    QLabel* buttonPicture() const { return buttonPicture_; }
    QPushButton* importPopupButton() const { return importPopup_; }
    QPushButton* exportPopupButton() const { return exportPopup_; }
    QPushButton* importButtonsButton() const { return importButtons_; }
    QPushButton* exportButtonsButton() const { return exportButtons_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    void importPopup();
    void exportPopup();
    void importButtons();
    void exportButtons();

private:
    void buildControls();
    void showPictures();
    // Replaces `target` from a chosen BMP file of exactly width x height.
    void importInto(Bitmap& target, int width, int height);
    void exportFrom(const Bitmap& source);
    // The file choice of an import or export, starting in the folder last used.
    FileChoice bitmapFileChoice(bool saving);

    Prompts& prompts_;
    FileSystem& fileSystem_;
    SettingsStore& settings_;
    Bitmap popup_;
    Bitmap button_;
    bool opened_ = true;

    QLabel* popupPicture_ = nullptr;
    QLabel* buttonPicture_ = nullptr;
    QPushButton* importPopup_ = nullptr;
    QPushButton* exportPopup_ = nullptr;
    QPushButton* importButtons_ = nullptr;
    QPushButton* exportButtons_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace jf
