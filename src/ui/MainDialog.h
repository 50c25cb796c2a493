#pragma once
// The editor's only top-level window: the career list and the job list of
// the selected career, the texts of the selected career and job level in the
// current language, the picture of the career's popup icon, and the menus
// (File, Edit, Career, Language, Help).
//
// The window shows the document and forwards what the user does to it:
// every keystroke in a text field is one Document::commitFieldText (typing
// in one field merges into one undo step), every dialog result one
// operation. A character the text's code page cannot hold is refused: the
// field is put back and a warning shown. Texts that are not edited are never
// converted, so they are written back byte for byte. Edit > Undo and Redo
// walk the document's history and show the place that changed; the title
// carries the game folder and the unsaved marker, driven by the history's
// clean mark.
//
// The window is built around injected parts so that it runs headless in
// tests: the load step (normally runLoadingDialog), the Prompts through which
// every message goes, and the editing dialogs (EditorDialogs).

#include <QDialog>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/EditHistory.h"
#include "document/EditorState.h"
#include "platform/Prompts.h"
#include "ui/DialogSupport.h"
#include "ui/EditorDialogs.h"

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;

namespace jf {

class CareerListControl;
class Document;
struct EditorSession;

class MainDialog final : public QDialog {
    Q_OBJECT

public:
    // Runs the loading sequence for the session (owned by `owner`); true
    // when it succeeded.
    using LoadStep = std::function<bool(QWidget* owner)>;

    // The document, the prompts and the dialogs must outlive the window.
    MainDialog(Document& document, Prompts& prompts, LoadStep load, EditorDialogs& dialogs,
               QWidget* parent = nullptr);
    ~MainDialog() override;

    // The window's initialisation: runs the load step; on success fills the
    // career list and selects its first row. False when the load failed or
    // was cancelled: the window's result is then Rejected.
    bool initialise();
    // initialise(), then the modal run; the window's result.
    int run();

    // ---- State
    bool isInitialised() const { return initialised_; }
    // No unsaved changes: the document's history is at its clean mark.
    bool isClean() const;
    int currentLanguage() const { return currentLanguage_; }
    std::size_t selectedCareer() const { return selectedCareer_; }
    std::uint16_t selectedJob() const { return selectedJob_; }
    std::int32_t savedJobRow() const { return savedJobRow_.value(); }
    Document& document() { return document_; }
    EditorSession& session();
    Prompts& prompts() { return prompts_; }

    // ---- Controls
    CareerListControl* careerList() const { return careerList_; }
    CareerListControl* jobList() const { return jobList_; }
    QWidget* fieldWidget(TextField field) const;
    QString fieldText(TextField field) const;
    QPushButton* jobDetailsButton() const { return jobDetails_; }
    QPushButton* chanceCardsButton() const { return chanceCards_; }
    QPushButton* modifyIconsButton() const { return modifyIcons_; }
    QLabel* picture() const { return picture_; }
    QMenuBar* menuBar() const { return menuBar_; }
    // The menu entry with this command id (kLanguageMenu, command::...), or
    // nullptr.
    QAction* action(int commandId) const;
    // The picture last shown in the picture control.
    const QImage& shownPicture() const { return shownPicture_; }

public slots:
    // The career list from the database ("#" and id, internal name).
    void fillCareerList();
    // Selects a row of the career list as the program does (anchor, focus).
    void selectCareerRow(int row);
    void showCareer();
    void showJob();
    void setLanguage(int slot);
    void refreshTexts();
    void copyToAllLanguages();
    // File Save: the four saving steps, the reload (the same career, job
    // level and language are shown again, the history stays), "Operation
    // complete!".
    void save();
    // File Reload: asks first when there are unsaved changes (false, nothing
    // done, for No); false when the load failed (the window is then closed).
    bool reloadAll();
    // Edit > Undo and Redo: the step is taken back (done again) and its
    // place shown.
    void undo();
    void redo();
    // File Exit and the close box, with the save question.
    void requestExit();
    void showAbout();
    // Help > User Guide: the guide (startup/UserGuide.h) in the system's
    // viewer; a message when it is not found or cannot be opened.
    void openUserGuide();
    void openJobDetails();
    void openChanceCards();
    void openIcons();
    void openGlobalOptions();
    void openGlobalTexts();
    void importCareers();
    void exportCareer();
    void backupCareers();
    // File > Export translation (the window's language) and Import
    // translation (one step; the window then shows the file's language).
    void exportTranslation();
    void importTranslation();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    void buildControls();
    void buildMenus();
    // Moves and sizes the controls for the client area's size.
    void placeControls();
    void addSystemMenuAbout();
    // The load step and what follows it; `keepHistory` for the reload after
    // File Save.
    bool load(bool keepHistory);
    // The Undo / Redo entries and the title's unsaved marker.
    void historyChanged();
    // Shows a place after undo or redo: the career names again, the track,
    // the level and the language of the step.
    void showPlace(const EditPlace& place);

    // Text fields and their buffers.
    void setFieldText(TextField field, const QString& text);
    void readControls();
    void showBuffers();
    // Loads an entry of the selected career's texts into a field's buffer,
    // in the current language, in the field's display form. False (buffer
    // unchanged) when the entry does not exist.
    bool loadEntry(TextField field, std::size_t level);
    void commitField(TextField field);
    void refuseEdit(TextField field, const std::string& message);

    void applyEnabling(const ControlEnabling& enabling);
    void setPicture(const QImage& image);
    // The selected job row's level index, or -1 when no valid job row is
    // selected.
    int selectedLevel() const;
    void closeWith(int result);

    Document& document_;
    Prompts& prompts_;
    LoadStep load_;
    EditorDialogs& dialogs_;

    QWidget* client_ = nullptr;
    QSize baseClientSize_;
    GrowingLayout growing_;

    QMenuBar* menuBar_ = nullptr;
    QActionGroup* languageGroup_ = nullptr;
    std::array<QAction*, kLanguageMenu.size()> languageActions_{};
    std::vector<QAction*> commandActions_;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;

    CareerListControl* careerList_ = nullptr;
    CareerListControl* jobList_ = nullptr;
    QLineEdit* internalCareerName_ = nullptr;
    QLineEdit* careerName_ = nullptr;
    QPlainTextEdit* maleOffer_ = nullptr;
    QPlainTextEdit* femaleOffer_ = nullptr;
    QLineEdit* maleJobName_ = nullptr;
    QLineEdit* femaleJobName_ = nullptr;
    QPlainTextEdit* jobDescription_ = nullptr;
    QLabel* picture_ = nullptr;
    QPushButton* modifyIcons_ = nullptr;
    QPushButton* jobDetails_ = nullptr;
    QPushButton* chanceCards_ = nullptr;
    QImage shownPicture_;

    std::size_t selectedCareer_ = 0;
    std::uint16_t selectedJob_ = 0;
    int currentLanguage_ = 0;
    JobRowMemory savedJobRow_;
    bool initialised_ = false;
    // Set while the window writes its own fields: their change notifications
    // are not edits.
    bool updating_ = false;
    // The seven text buffers (display form) and the text each field last
    // showed or accepted, which a refused edit puts back.
    std::array<QString, kTextFieldCount> buffers_;
    std::array<QString, kTextFieldCount> accepted_;
};

}  // namespace jf
