#include "ui/IconDialog.h"
#include "ui/DialogSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "careers/BmpFile.h"
#include "careers/IconStore.h"
#include "exchange/ExchangeMessages.h"
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "platform/RecentFolders.h"
#include "ui/Artwork.h"
#include "ui/DialogUnits.h"

namespace jf {

namespace {

constexpr int kWidthDu = 183;
constexpr int kHeightDu = 183;
// The file messages and their caption are those of the exchange commands
// (exchange/ExchangeMessages.h); an icon that cannot be had adds a line
// asking to contact the author.
constexpr char kContactAuthor[] = "Contact the author of this program!\n\n";
constexpr char kCannotSaveBitmap[] = "Couldn't save the bitmap!";

// The captions of the buttons beside each picture.
constexpr char kImportButtonText[] = "Import...";
constexpr char kExportButtonText[] = "Export...";

// The size the icon needs, then the size of the picture chosen when its
// headers tell it.
std::string wrongSizeMessage(int width, int height, File& chosen) {
    std::string message = "Couldn't load the bitmap!\n\nMake sure it's width is " +
                          std::to_string(width) + " pixels, it's height is " +
                          std::to_string(height) + " and it hasn't got compression.";
    int chosenWidth = 0;
    int chosenHeight = 0;
    if (readBitmapSize(chosen, chosenWidth, chosenHeight)) {
        message += "\n\nThe picture chosen is " + std::to_string(chosenWidth) + " x " +
                   std::to_string(chosenHeight) + " pixels.";
    } else {
        message += "\n\nThe file chosen is not a BMP picture.";
    }
    return message;
}

}  // namespace

IconDialog::IconDialog(Prompts& prompts, FileSystem& fileSystem, SettingsStore& settings,
                       const IconStore& icons, std::uint16_t trackId, QWidget* parent)
    : QDialog(parent), prompts_(prompts), fileSystem_(fileSystem), settings_(settings) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    buildControls();

    // Both icons are tried, so both messages can appear.
    if (!icons.getPopupIcon(trackId, popup_)) {
        prompts_.show(
            errorMessage(std::string(kCannotLoadPopupIconText) + kContactAuthor + kContactLine,
                         kExchangeErrorCaption));
        opened_ = false;
    }
    if (!icons.getButtonIcon(trackId, button_)) {
        prompts_.show(
            errorMessage(std::string(kCannotLoadButtonIconText) + kContactAuthor + kContactLine,
                         kExchangeErrorCaption));
        opened_ = false;
    }
    showPictures();
}

int IconDialog::exec() {
    if (!opened_) {
        setResult(QDialog::Rejected);
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

void IconDialog::buildControls() {
    const DialogUnits du(font());
    setFixedSize(du.size(kWidthDu, kHeightDu));

    auto* popupGroup = new QGroupBox(QStringLiteral("Popup icon"), this);
    popupGroup->setGeometry(du.rect(7, 7, 169, 68));
    auto* buttonGroup = new QGroupBox(QStringLiteral("Button icons"), this);
    buttonGroup->setGeometry(du.rect(7, 80, 168, 74));

    auto picture = [&](int id, int x, int y, int w, int h) {
        auto* label = new QLabel(this);
        label->setObjectName(controlObjectName(id));
        label->setGeometry(du.rect(x, y, w, h));
        label->setFrameShape(QFrame::Box);
        label->setAlignment(Qt::AlignCenter);
        return label;
    };
    popupPicture_ = picture(1023, 28, 23, 58, 41);
    buttonPicture_ = picture(1018, 50, 100, 77, 16);

    auto button = [&](const char* text, int id, int x, int y) {
        return addDialogButton(this, du, text, id, x, y);
    };
    importPopup_ = button(kImportButtonText, 1019, 106, 25);
    exportPopup_ = button(kExportButtonText, 1020, 106, 45);
    importButtons_ = button(kImportButtonText, 1021, 36, 127);
    exportButtons_ = button(kExportButtonText, 1022, 96, 127);
    ok_ = button(kOkButtonText, 1, 68, 162);
    cancel_ = button(kCancelButtonText, 2, 126, 162);
    makeEnterPressFocusedButton(this, ok_);
    connect(importPopup_, &QPushButton::clicked, this, &IconDialog::importPopup);
    connect(exportPopup_, &QPushButton::clicked, this, &IconDialog::exportPopup);
    connect(importButtons_, &QPushButton::clicked, this, &IconDialog::importButtons);
    connect(exportButtons_, &QPushButton::clicked, this, &IconDialog::exportButtons);
    connect(ok_, &QPushButton::clicked, this, &IconDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &IconDialog::reject);
}

void IconDialog::showPictures() {
    popupPicture_->setPixmap(QPixmap::fromImage(toImage(popup_)));
    buttonPicture_->setPixmap(QPixmap::fromImage(toImage(button_)));
}

FileChoice IconDialog::bitmapFileChoice(bool saving) {
    FileChoice choice;
    // Icon files come in any letter case ("popup.bmp", "POPUP.BMP").
    choice.filters = {{"Bitmap files (*.BMP)", "*.bmp"}};
    choice.initialName = "*.BMP";
    choice.defaultExtension = saving ? "BMP" : "";
    choice.initialFolder = recentFolder(settings_, FileKind::Icons);
    return choice;
}

void IconDialog::importInto(Bitmap& target, int width, int height) {
    const std::optional<std::string> path = prompts_.chooseOpenFile(bitmapFileChoice(false));
    if (!path) {
        return;
    }
    rememberFolder(settings_, FileKind::Icons, *path);
    const std::unique_ptr<File> file = fileSystem_.open(*path, OpenMode::Read);
    if (!file) {
        prompts_.show(errorMessage(kCannotOpenFileText, kExchangeErrorCaption));
        return;
    }
    Bitmap read;
    if (!readBitmapFile(*file, read, nullptr, width, height)) {
        prompts_.show(errorMessage(wrongSizeMessage(width, height, *file), kExchangeErrorCaption));
        return;
    }
    target = std::move(read);
    showPictures();
}

void IconDialog::exportFrom(const Bitmap& source) {
    const std::optional<std::string> path = prompts_.chooseSaveFile(bitmapFileChoice(true));
    if (!path) {
        return;
    }
    rememberFolder(settings_, FileKind::Icons, *path);
    const std::unique_ptr<File> file = fileSystem_.open(*path, OpenMode::CreateTruncate);
    if (!file) {
        prompts_.show(errorMessage(kCannotCreateFileText, kExchangeErrorCaption));
        return;
    }
    if (!writeBitmapFile(*file, source)) {
        prompts_.show(errorMessage(kCannotSaveBitmap, kExchangeErrorCaption));
    }
}

void IconDialog::importPopup() {
    importInto(popup_, kPopupWidth, kPopupHeight);
}

void IconDialog::exportPopup() {
    exportFrom(popup_);
}

void IconDialog::importButtons() {
    importInto(button_, kButtonWidth, kButtonHeight);
}

void IconDialog::exportButtons() {
    exportFrom(button_);
}

}  // namespace jf
