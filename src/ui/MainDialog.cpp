#include "ui/MainDialog.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

#include "careers/CareerDatabase.h"
#include "careers/CareerStrings.h"
#include "platform/CodePages.h"
#include "document/EditorSession.h"
#include "startup/Loader.h"
#include "ui/AboutDialog.h"
#include "ui/Artwork.h"
#include "ui/CareerListControl.h"
#include "ui/DialogUnits.h"
#include "document/LanguageCopy.h"
#include "document/LineBreaks.h"

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace jf {

namespace {

// Size of the window's client area below the menu bar, in dialog units.
constexpr int kClientWidthDu = 404;
constexpr int kClientHeightDu = 303;

// List columns, in pixels.
constexpr int kIdColumnWidth = 35;
constexpr int kCareerNameColumnWidth = 125;
constexpr int kJobNameColumnWidth = 150;

constexpr char kSaveQuestion[] = "Do you want to save the careers?";
constexpr char kOperationComplete[] = "Operation complete!";
constexpr char kSetAllQuestion[] =
    "Do you really want to set the texts of all other languages to the current language?";
constexpr char kSetAllCardsQuestion[] = "Do you want to set the texts of the Chance Cards as well?";
constexpr char kSetAllCaption[] = "Warning";
// Shown when a keystroke would store a character the code page of the
// text's language cannot hold; the field is put back as it was.
constexpr char kRefusedCharacter[] =
    "The text contains a character that cannot be stored in the current language's code "
    "page.\n\nThe change has not been made.";
constexpr char kRefusedCaption[] = "Warning";

QString decoded(const std::string& bytes, int codePage) {
    return QString::fromStdString(toUtf8Lossy(bytes, codePage));
}

QString idText(unsigned value) {
    return QStringLiteral("#%1").arg(value);
}

}  // namespace

MainDialog::MainDialog(EditorSession& session, Prompts& prompts, LoadStep load,
                       EditorDialogs* dialogs, QWidget* parent)
    : QDialog(parent), session_(session), prompts_(prompts), load_(std::move(load)) {
    if (dialogs == nullptr) {
        placeholderDialogs_ = std::make_unique<PlaceholderDialogs>(prompts_);
        dialogs = placeholderDialogs_.get();
    }
    dialogs_ = dialogs;

    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    buildMenus();
    buildControls();
    addSystemMenuAbout();

    // Before a career is shown nothing can be edited.
    applyEnabling(controlEnabling(false, false, true));
    setPicture(placeholderPicture());
}

MainDialog::~MainDialog() = default;

// ---- Construction -----------------------------------------------------------------

void MainDialog::buildMenus() {
    menuBar_ = new QMenuBar(this);
    auto addCommand = [this](QMenu* menu, const char* label, int id, auto slot) {
        QAction* entry = menu->addAction(QString::fromUtf8(label));
        entry->setData(id);
        connect(entry, &QAction::triggered, this, slot);
        commandActions_.push_back(entry);
        return entry;
    };

    QMenu* file = menuBar_->addMenu(QStringLiteral("File"));
    addCommand(file, "&Reload", command::kReload, [this] { reloadAll(); });
    addCommand(file, "&Save", command::kSave, &MainDialog::save);
    file->addSeparator();
    addCommand(file, "Global &options...", command::kGlobalOptions, &MainDialog::openGlobalOptions);
    addCommand(file, "Global &texts...", command::kGlobalTexts, &MainDialog::openGlobalTexts);
    file->addSeparator();
    addCommand(file, "E&xit", command::kExit, &MainDialog::requestExit);

    QMenu* career = menuBar_->addMenu(QStringLiteral("Career"));
    addCommand(career, "Import", command::kImport, &MainDialog::importCareers);
    addCommand(career, "Export", command::kExport, &MainDialog::exportCareer);
    addCommand(career, "Backup", command::kBackup, &MainDialog::backupCareers);

    QMenu* language = menuBar_->addMenu(QStringLiteral("Language"));
    languageGroup_ = new QActionGroup(this);
    languageGroup_->setExclusive(true);
    for (std::size_t slot = 0; slot < kLanguageMenu.size(); ++slot) {
        QAction* entry = language->addAction(QString::fromUtf8(kLanguageMenu[slot].label));
        entry->setCheckable(true);
        entry->setData(kLanguageMenu[slot].commandId);
        languageGroup_->addAction(entry);
        languageActions_[slot] = entry;
        connect(entry, &QAction::triggered, this, [this, id = kLanguageMenu[slot].commandId] {
            setLanguage(slotOfLanguageCommand(id));
        });
    }
    languageActions_[0]->setChecked(true);
    language->addSeparator();
    addCommand(language, "Set All", command::kSetAll, &MainDialog::copyToAllLanguages);

    QMenu* help = menuBar_->addMenu(QStringLiteral("Help"));
    addCommand(help, "About", command::kAbout, &MainDialog::showAbout);
}

void MainDialog::buildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* client = new QWidget(this);
    const DialogUnits du(font());
    client->setFixedSize(du.size(kClientWidthDu, kClientHeightDu));
    layout->addWidget(client);

    // Group boxes first, so that the controls inside lie above them.
    auto* careerGroup = new QGroupBox(QStringLiteral("Career information"), client);
    careerGroup->setGeometry(du.rect(148, 7, 249, 158));
    auto* jobGroup = new QGroupBox(QStringLiteral("Job information"), client);
    jobGroup->setGeometry(du.rect(148, 174, 249, 122));

    careerList_ = new CareerListControl(client);
    careerList_->setObjectName(QStringLiteral("careerList"));
    careerList_->setGeometry(du.rect(7, 7, 128, 158));
    careerList_->addColumn(QStringLiteral("ID"), kIdColumnWidth);
    careerList_->addColumn(QStringLiteral("Internal career name"), kCareerNameColumnWidth);
    jobList_ = new CareerListControl(client);
    jobList_->setObjectName(QStringLiteral("jobList"));
    jobList_->setGeometry(du.rect(7, 177, 128, 119));
    jobList_->addColumn(QStringLiteral("ID"), kIdColumnWidth);
    jobList_->addColumn(QStringLiteral("Internal job name"), kJobNameColumnWidth);
    connect(careerList_, &QTreeWidget::itemSelectionChanged, this, &MainDialog::showCareer);
    connect(jobList_, &QTreeWidget::itemSelectionChanged, this, &MainDialog::showJob);

    // Labels wrap rather than clip when the interface font runs wide.
    auto label = [&](const char* text, int x, int y, int w, int h) {
        auto* shown = new QLabel(QString::fromUtf8(text), client);
        shown->setGeometry(du.rect(x, y, w, h));
        shown->setWordWrap(true);
        shown->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return shown;
    };
    auto lineEdit = [&](TextField field, int x, int y, int w, int h) {
        auto* edit = new QLineEdit(client);
        edit->setGeometry(du.rect(x, y, w, h));
        edit->setMaxLength(std::numeric_limits<int>::max());
        connect(edit, &QLineEdit::textEdited, this, [this, field] { commitField(field); });
        return edit;
    };
    auto multiLineEdit = [&](TextField field, int x, int y, int w, int h) {
        auto* edit = new QPlainTextEdit(client);
        edit->setGeometry(du.rect(x, y, w, h));
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setTabChangesFocus(true);
        edit->installEventFilter(this);
        connect(edit, &QPlainTextEdit::textChanged, this, [this, field] {
            if (!updating_) {
                commitField(field);
            }
        });
        return edit;
    };

    label("Internal career name:", 157, 28, 82, 8);
    internalCareerName_ = lineEdit(TextField::InternalCareerName, 240, 26, 142, 12);
    label("Career name:", 157, 42, 82, 8);
    careerName_ = lineEdit(TextField::CareerName, 240, 40, 142, 12);
    label("Male offer dialog text:", 157, 57, 82, 18);
    maleOffer_ = multiLineEdit(TextField::MaleOffer, 240, 55, 142, 32);
    label("Female offer dialog text:", 157, 92, 82, 18);
    femaleOffer_ = multiLineEdit(TextField::FemaleOffer, 240, 90, 142, 32);

    picture_ = new QLabel(client);
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->setGeometry(du.rect(157, 114, 58, 41));
    picture_->setFrameShape(QFrame::Box);
    picture_->setAlignment(Qt::AlignCenter);
    modifyIcons_ = new QPushButton(QStringLiteral("Modify icons"), client);
    modifyIcons_->setGeometry(du.rect(240, 133, 50, 14));
    connect(modifyIcons_, &QPushButton::clicked, this, &MainDialog::openIcons);

    label("Male job name:", 157, 190, 83, 8);
    maleJobName_ = lineEdit(TextField::MaleJobName, 241, 188, 142, 12);
    label("Female job name:", 157, 204, 83, 8);
    femaleJobName_ = lineEdit(TextField::FemaleJobName, 241, 202, 142, 12);
    label("Job description:", 157, 218, 83, 12);
    jobDescription_ = multiLineEdit(TextField::JobDescription, 241, 216, 142, 46);
    label("In the job names, \\n functions as a 'next line'", 157, 231, 77, 51);

    jobDetails_ = new QPushButton(QStringLiteral("&Job details"), client);
    jobDetails_->setGeometry(du.rect(258, 271, 50, 14));
    connect(jobDetails_, &QPushButton::clicked, this, &MainDialog::openJobDetails);
    chanceCards_ = new QPushButton(QStringLiteral("&Chance Cards"), client);
    chanceCards_->setGeometry(du.rect(319, 271, 50, 14));
    connect(chanceCards_, &QPushButton::clicked, this, &MainDialog::openChanceCards);

    // Tab order follows the layout, top to bottom.
    setTabOrder(careerList_, internalCareerName_);
    setTabOrder(internalCareerName_, careerName_);
    setTabOrder(careerName_, maleOffer_);
    setTabOrder(maleOffer_, femaleOffer_);
    setTabOrder(femaleOffer_, modifyIcons_);
    setTabOrder(modifyIcons_, jobList_);
    setTabOrder(jobList_, maleJobName_);
    setTabOrder(maleJobName_, femaleJobName_);
    setTabOrder(femaleJobName_, jobDescription_);
    setTabOrder(jobDescription_, jobDetails_);
    setTabOrder(jobDetails_, chanceCards_);
}

void MainDialog::addSystemMenuAbout() {
#ifdef Q_OS_WIN
    HMENU systemMenu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
    if (systemMenu != nullptr) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, command::kAbout, L"&About Jobforge 3...");
    }
#endif
}

#ifdef Q_OS_WIN
bool MainDialog::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    const MSG* msg = static_cast<const MSG*>(message);
    constexpr WPARAM kCommandMask = 0xFFF0;
    if (msg->message == WM_SYSCOMMAND &&
        (msg->wParam & kCommandMask) == static_cast<WPARAM>(command::kAbout)) {
        showAbout();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

QAction* MainDialog::action(int commandId) const {
    const int slot = slotOfLanguageCommand(commandId);
    if (slot >= 0) {
        return languageActions_[static_cast<std::size_t>(slot)];
    }
    for (QAction* entry : commandActions_) {
        if (entry->data().toInt() == commandId) {
            return entry;
        }
    }
    return nullptr;
}

// ---- Initialisation, loading --------------------------------------------------------

bool MainDialog::initialise() {
    if (!load_(this)) {
        closeWith(QDialog::Rejected);
        return false;
    }
    initialised_ = true;
    currentLanguage_ = 0;
    languageActions_[0]->setChecked(true);
    fillCareerList();
    selectCareerRow(0);
    showCareer();
    clean_ = true;
    return true;
}

int MainDialog::run() {
    if (!initialise()) {
        return QDialog::Rejected;
    }
    return exec();
}

void MainDialog::closeWith(int result) {
    done(result);
}

void MainDialog::fillCareerList() {
    CareerDatabase& database = session_.database;
    for (std::size_t position = 0; position < database.trackCount(); ++position) {
        const CareerTrack* track = database.track(position);
        if (track == nullptr) {
            continue;
        }
        careerList_->appendRow(
            {idText(track->id), decoded(track->career.internalCareerName, kNeutralCodePage)},
            static_cast<int>(position));
    }
}

void MainDialog::selectCareerRow(int row) {
    careerList_->selectRow(row);
}

bool MainDialog::reloadAll() {
    careerList_->removeAllRows();
    prepareReload(session_);
    if (!load_(this)) {
        closeWith(QDialog::Rejected);
        return false;
    }
    currentLanguage_ = 0;
    languageActions_[0]->setChecked(true);
    fillCareerList();
    selectCareerRow(0);
    showCareer();
    clean_ = true;
    return true;
}

// ---- Showing careers and jobs -------------------------------------------------------

CareerStrings* MainDialog::selectedStrings() {
    return session_.database.careerStrings(selectedCareer_);
}

int MainDialog::selectedLevel() const {
    const int row = jobList_->selectedRow();
    if (row < 0) {
        return -1;
    }
    const int level = jobList_->rowData(row);
    const CareerChunk* chunk = session_.database.careerChunk(selectedCareer_);
    if (chunk == nullptr || level < 0 || static_cast<std::size_t>(level) >= chunk->levels.size()) {
        return -1;
    }
    return level;
}

void MainDialog::applyEnabling(const ControlEnabling& enabling) {
    internalCareerName_->setEnabled(enabling.careerControls);
    careerName_->setEnabled(enabling.careerControls);
    maleOffer_->setEnabled(enabling.careerControls);
    femaleOffer_->setEnabled(enabling.careerControls);
    modifyIcons_->setEnabled(enabling.careerControls);
    jobList_->setEnabled(enabling.careerControls);
    jobDetails_->setEnabled(enabling.jobControls);
    maleJobName_->setEnabled(enabling.jobControls);
    femaleJobName_->setEnabled(enabling.jobControls);
    jobDescription_->setEnabled(enabling.jobControls);
    chanceCards_->setEnabled(enabling.chanceCards);
}

// The picture is set whenever the shown career changes or its icons are
// replaced (not again at every repaint); the label keeps its own copy, so
// the one it replaces is released with it.
void MainDialog::setPicture(const QImage& image) {
    shownPicture_ = image;
    picture_->setPixmap(QPixmap::fromImage(image));
}

void MainDialog::showCareer() {
    savedJobRow_.takeSelection(jobList_->selectedRow());
    jobList_->removeAllRows();

    const int row = careerList_->selectedRow();
    if (row < 0) {
        applyEnabling(controlEnabling(false, false, session_.state.chanceCardsDisabled));
        for (QString& buffer : buffers_) {
            buffer.clear();
        }
        showBuffers();
        setPicture(placeholderPicture());
        savedJobRow_.careerCleared();
        return;
    }

    selectedCareer_ = static_cast<std::size_t>(careerList_->rowData(row));
    const CareerTrack* track = session_.database.track(selectedCareer_);
    if (track != nullptr) {
        buffers_[static_cast<std::size_t>(TextField::InternalCareerName)] =
            decoded(track->career.internalCareerName, kNeutralCodePage);
    }
    loadEntry(TextField::CareerName, 0);
    loadEntry(TextField::MaleOffer, 0);
    loadEntry(TextField::FemaleOffer, 0);
    showBuffers();
    applyEnabling(controlEnabling(true, false, session_.state.chanceCardsDisabled));

    if (track != nullptr) {
        for (std::size_t level = 0; level < track->career.levels.size(); ++level) {
            jobList_->appendRow(
                {idText(static_cast<unsigned>(level)),
                 decoded(track->career.levels[level].internalJobName, kNeutralCodePage)},
                static_cast<int>(level));
        }
    }
    jobList_->selectRow(savedJobRow_.rowToSelect());

    Bitmap icon;
    if (track != nullptr && session_.icons.getPopupIcon(track->id, icon)) {
        setPicture(toImage(icon));
    } else {
        setPicture(placeholderPicture());
    }
    showJob();
}

void MainDialog::showJob() {
    if (!initialised_) {
        return;
    }
    readControls();
    const int level = selectedLevel();
    const bool careerSelected = careerList_->selectedRow() >= 0;
    if (level < 0) {
        applyEnabling(controlEnabling(careerSelected, false, session_.state.chanceCardsDisabled));
        buffers_[static_cast<std::size_t>(TextField::MaleJobName)].clear();
        buffers_[static_cast<std::size_t>(TextField::FemaleJobName)].clear();
        buffers_[static_cast<std::size_t>(TextField::JobDescription)].clear();
        showBuffers();
        return;
    }
    selectedJob_ = static_cast<std::uint16_t>(level);
    loadEntry(TextField::MaleJobName, selectedJob_);
    loadEntry(TextField::FemaleJobName, selectedJob_);
    loadEntry(TextField::JobDescription, selectedJob_);
    showBuffers();
    applyEnabling(controlEnabling(careerSelected, true, session_.state.chanceCardsDisabled));
}

// ---- Text fields ----------------------------------------------------------------------

QWidget* MainDialog::fieldWidget(TextField field) const {
    switch (field) {
        case TextField::InternalCareerName:
            return internalCareerName_;
        case TextField::CareerName:
            return careerName_;
        case TextField::MaleOffer:
            return maleOffer_;
        case TextField::FemaleOffer:
            return femaleOffer_;
        case TextField::MaleJobName:
            return maleJobName_;
        case TextField::FemaleJobName:
            return femaleJobName_;
        case TextField::JobDescription:
            return jobDescription_;
    }
    return nullptr;
}

QString MainDialog::fieldText(TextField field) const {
    QWidget* widget = fieldWidget(field);
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        return line->text();
    }
    if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) {
        return multi->toPlainText();
    }
    return {};
}

void MainDialog::setFieldText(TextField field, const QString& text) {
    if (fieldText(field) == text) {
        return;
    }
    const bool wasUpdating = updating_;
    updating_ = true;
    QWidget* widget = fieldWidget(field);
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(text);
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) {
        multi->setPlainText(text);
    }
    updating_ = wasUpdating;
}

void MainDialog::readControls() {
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        buffers_[i] = fieldText(static_cast<TextField>(i));
    }
}

void MainDialog::showBuffers() {
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        setFieldText(static_cast<TextField>(i), buffers_[i]);
        accepted_[i] = buffers_[i];
    }
}

bool MainDialog::loadEntry(TextField field, std::size_t level) {
    const std::optional<std::size_t> entry = entryOfField(field, level);
    const CareerStrings* strings = selectedStrings();
    std::string bytes;
    if (!entry || strings == nullptr ||
        !strings->getString(*entry, currentLanguage_, StringTable::kText, bytes)) {
        return false;
    }
    std::string text = toUtf8Lossy(bytes, codePageForSlot(currentLanguage_));
    if (isJobNameField(field)) {
        text = escapeLineBreaks(text);
    } else if (isMultiLineField(field)) {
        text = multiLineFieldText(text);
    }
    buffers_[static_cast<std::size_t>(field)] = QString::fromStdString(text);
    return true;
}

void MainDialog::commitField(TextField field) {
    if (!initialised_ || updating_) {
        return;
    }
    readControls();
    const std::size_t index = static_cast<std::size_t>(field);
    const std::string typed = buffers_[index].toStdString();

    if (field == TextField::InternalCareerName) {
        const int row = careerList_->selectedRow();
        CareerChunk* chunk =
            row >= 0
                ? session_.database.careerChunk(static_cast<std::size_t>(careerList_->rowData(row)))
                : nullptr;
        if (chunk == nullptr) {
            return;
        }
        const std::optional<std::string> bytes = fromUtf8(typed, kNeutralCodePage);
        if (!bytes) {
            refuseEdit(field);
            return;
        }
        chunk->internalCareerName = *bytes;
        careerList_->setRowText(row, 1, buffers_[index]);
        accepted_[index] = buffers_[index];
        markChanged();
        return;
    }

    std::string stored = typed;
    if (isJobNameField(field)) {
        stored = unescapeLineBreaks(stored);
    } else if (isMultiLineField(field)) {
        stored = multiLineDataText(stored);
    }
    const std::optional<std::string> bytes = fromUtf8(stored, codePageForSlot(currentLanguage_));
    if (!bytes) {
        refuseEdit(field);
        return;
    }
    CareerStrings* strings = selectedStrings();
    const std::optional<std::size_t> entry = entryOfField(field, selectedJob_);
    if (strings != nullptr && entry) {
        // An entry beyond the table's end plus one is silently not written.
        strings->setString(*entry, currentLanguage_, StringTable::kText, *bytes);
    }
    accepted_[index] = buffers_[index];
    markChanged();
}

void MainDialog::refuseEdit(TextField field) {
    const std::size_t index = static_cast<std::size_t>(field);
    QWidget* widget = fieldWidget(field);
    const int lengthChange = static_cast<int>(buffers_[index].size() - accepted_[index].size());
    const bool wasUpdating = updating_;
    updating_ = true;
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        const int cursor = line->cursorPosition() - lengthChange;
        line->setText(accepted_[index]);
        line->setCursorPosition(std::max(0, cursor));
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) {
        const int cursor = multi->textCursor().position() - lengthChange;
        multi->setPlainText(accepted_[index]);
        QTextCursor restored = multi->textCursor();
        restored.setPosition(std::clamp(cursor, 0, static_cast<int>(accepted_[index].size())));
        multi->setTextCursor(restored);
    }
    updating_ = wasUpdating;
    buffers_[index] = accepted_[index];
    prompts_.show({kRefusedCharacter, kRefusedCaption, PromptButtons::Ok, PromptIcon::Warning});
}

// ---- Language menu ----------------------------------------------------------------------

void MainDialog::setLanguage(int slot) {
    if (slot < 0 || slot >= static_cast<int>(kLanguageMenu.size())) {
        return;
    }
    currentLanguage_ = slot;
    languageActions_[static_cast<std::size_t>(slot)]->setChecked(true);
    refreshTexts();
}

void MainDialog::refreshTexts() {
    if (!initialised_) {
        return;
    }
    readControls();
    if (careerList_->selectedRow() < 0) {
        return;
    }
    loadEntry(TextField::CareerName, 0);
    loadEntry(TextField::MaleOffer, 0);
    loadEntry(TextField::FemaleOffer, 0);
    if (jobList_->selectedRow() >= 0) {
        loadEntry(TextField::MaleJobName, selectedJob_);
        loadEntry(TextField::FemaleJobName, selectedJob_);
        loadEntry(TextField::JobDescription, selectedJob_);
    }
    showBuffers();
}

void MainDialog::copyToAllLanguages() {
    if (prompts_.show({kSetAllQuestion, kSetAllCaption, PromptButtons::YesNo,
                       PromptIcon::Question}) != PromptAnswer::Yes) {
        return;
    }
    if (CareerStrings* strings = selectedStrings()) {
        copyTrackTextsToAllLanguages(*strings, currentLanguage_);
    }
    if (prompts_.show({kSetAllCardsQuestion, kCaption, PromptButtons::YesNo,
                       PromptIcon::Question}) == PromptAnswer::Yes) {
        copyCardTextsToAllLanguages(session_.database, selectedCareer_, currentLanguage_);
    }
    markChanged();
}

// ---- File menu ----------------------------------------------------------------------------

void MainDialog::save() {
    if (!saveAll(session_, prompts_)) {
        return;
    }
    if (!reloadAll()) {
        return;
    }
    prompts_.show({kOperationComplete, kCaption, PromptButtons::Ok, PromptIcon::Information});
    clean_ = true;
}

void MainDialog::requestExit() {
    if (clean_) {
        closeWith(QDialog::Accepted);
        return;
    }
    const PromptAnswer answer =
        prompts_.show({kSaveQuestion, kCaption, PromptButtons::YesNoCancel, PromptIcon::Question});
    if (answer == PromptAnswer::Cancel) {
        return;
    }
    if (answer == PromptAnswer::Yes) {
        if (!saveAll(session_, prompts_)) {
            return;
        }
        session_.buttonIconFile.reset();
        session_.popupIconFile.reset();
    }
    closeWith(QDialog::Accepted);
}

void MainDialog::showAbout() {
    AboutDialog about(this);
    about.exec();
}

// ---- Editing dialogs -------------------------------------------------------------------------

void MainDialog::openJobDetails() {
    const int level = selectedLevel();
    CareerChunk* chunk = session_.database.careerChunk(selectedCareer_);
    if (level < 0 || chunk == nullptr) {
        return;
    }
    const std::size_t j = static_cast<std::size_t>(level);
    JobLevel copy = chunk->levels[j];
    PreviousRequirements previous{};
    if (j > 0) {
        for (std::size_t i = 0; i < previous.size(); ++i) {
            previous[i] = chunk->levels[j - 1].value(i);
        }
    }
    if (!dialogs_->editJobDetails(this, copy, previous)) {
        return;
    }
    chunk->levels[j] = copy;
    jobList_->setRowText(jobList_->selectedRow(), 1,
                         decoded(chunk->levels[j].internalJobName, kNeutralCodePage));
    markChanged();
}

void MainDialog::openChanceCards() {
    const int level = selectedLevel();
    ChanceCard* card =
        level >= 0 ? session_.database.chanceCard(selectedCareer_, static_cast<std::size_t>(level))
                   : nullptr;
    if (card == nullptr) {
        return;
    }
    ChanceCard copy = *card;
    if (!dialogs_->editChanceCard(this, selectedCareer_, static_cast<std::size_t>(level), copy,
                                  currentLanguage_)) {
        return;
    }
    card->textIndex = copy.textIndex;
    card->items = std::move(copy.items);
    markChanged();
}

void MainDialog::openIcons() {
    const int row = careerList_->selectedRow();
    if (row < 0) {
        return;
    }
    selectedCareer_ = static_cast<std::size_t>(careerList_->rowData(row));
    const CareerTrack* track = session_.database.track(selectedCareer_);
    if (track == nullptr) {
        return;
    }
    Bitmap popup;
    Bitmap button;
    if (!dialogs_->editIcons(this, selectedCareer_, popup, button)) {
        return;
    }
    session_.icons.putButtonIcon(track->id, button);
    session_.icons.putPopupIcon(track->id, popup);
    setPicture(toImage(popup));
    markChanged();
}

void MainDialog::openGlobalOptions() {
    bool changed = false;
    if (dialogs_->editGlobalOptions(this, changed) && changed) {
        markChanged();
    }
}

void MainDialog::openGlobalTexts() {
    bool changed = false;
    if (dialogs_->editGlobalTexts(this, currentLanguage_, changed) && changed) {
        markChanged();
    }
}

void MainDialog::importCareers() {
    dialogs_->importCareers(*this);
}

void MainDialog::exportCareer() {
    dialogs_->exportCareer(*this);
}

void MainDialog::backupCareers() {
    dialogs_->backupCareers(*this);
}

// ---- Keys and closing ---------------------------------------------------------------------

void MainDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            // The window has no default or cancel action: neither closes it.
            event->accept();
            return;
        default:
            break;
    }
    QDialog::keyPressEvent(event);
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* edit = qobject_cast<QPlainTextEdit*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (edit != nullptr && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            // Ctrl+Enter types a line break; plain Enter belongs to the window.
            if (key->modifiers().testFlag(Qt::ControlModifier)) {
                edit->textCursor().insertText(QStringLiteral("\n"));
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MainDialog::closeEvent(QCloseEvent* event) {
    requestExit();
    if (isVisible()) {
        event->ignore();
    } else {
        event->accept();
    }
}

}  // namespace jf
