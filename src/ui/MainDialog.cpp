#include "ui/MainDialog.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <map>

#include "careers/CareerDatabase.h"
#include "document/Document.h"
#include "document/EditorSession.h"
#include "exchange/Translation.h"
#include "platform/CodePages.h"
#include "platform/Messages.h"
#include "startup/EditorCommands.h"
#include "startup/Loader.h"
#include "startup/UserGuide.h"
#include "ui/AboutDialog.h"
#include "ui/Artwork.h"
#include "ui/CareerListControl.h"

namespace jf {

namespace {

QString decoded(const std::string& bytes) {
    return QString::fromStdString(toUtf8Lossy(bytes, kNeutralCodePage));
}

QString idText(unsigned value) {
    return QStringLiteral("#%1").arg(value);
}

}  // namespace

MainDialog::MainDialog(Document& document, Prompts& prompts, LoadStep load, EditorDialogs& dialogs,
                       QWidget* parent)
    : QDialog(parent),
      document_(document),
      prompts_(prompts),
      load_(std::move(load)),
      dialogs_(dialogs) {
    setWindowTitle(QString::fromUtf8(kProgramCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    buildMenus();
    buildControls();
    addSystemMenuAbout();

    // Before a career is shown nothing can be edited.
    applyEnabling(controlEnabling(false, false, true));
    setPicture(placeholderPicture());
    document_.history().setObserver([this] { historyChanged(); });
    historyChanged();
}

MainDialog::~MainDialog() {
    document_.history().setObserver({});
}

EditorSession& MainDialog::session() {
    return document_.session();
}

bool MainDialog::isClean() const {
    return !document_.isModified();
}

// ---- Initialisation, loading --------------------------------------------------------

bool MainDialog::initialise() {
    if (!load(false)) {
        return false;
    }
    initialised_ = true;
    showCareer();
    if (const std::optional<WindowGeometry> stored = readWindowGeometry(session().settings)) {
        resize(QSize(stored->width, stored->height).expandedTo(minimumSizeHint()));
        move(stored->x, stored->y);
    }
    return true;
}

int MainDialog::run() {
    if (!initialise()) {
        return QDialog::Rejected;
    }
    return exec();
}

void MainDialog::closeWith(int result) {
    if (initialised_) {
        writeWindowGeometry(session().settings, {x(), y(), width(), height()});
    }
    done(result);
}

bool MainDialog::load(bool keepHistory) {
    if (!load_(this)) {
        document_.forgetHistory();
        closeWith(QDialog::Rejected);
        return false;
    }
    if (!keepHistory) {
        document_.forgetHistory();
    }
    setWindowTitle(
        QString::fromStdString(editorTitle(session().state.installation.gameDataFolder)) +
        QStringLiteral("[*]"));
    historyChanged();
    currentLanguage_ = 0;
    languageActions_[0]->setChecked(true);
    fillCareerList();
    selectCareerRow(0);
    return true;
}

void MainDialog::fillCareerList() {
    const CareerDatabase& database = document_.database();
    for (std::size_t position = 0; position < database.trackCount(); ++position) {
        const CareerTrack* track = database.track(position);
        careerList_->appendRow({idText(track->id), decoded(track->career.internalCareerName)},
                               static_cast<int>(position));
    }
}

void MainDialog::selectCareerRow(int row) {
    careerList_->selectRow(row);
}

bool MainDialog::reloadAll() {
    if (!confirmReload(document_, prompts_)) {
        return false;
    }
    careerList_->removeAllRows();
    prepareReload(session());
    if (!load(false)) {
        return false;
    }
    showCareer();
    return true;
}

// ---- Undo and redo ----------------------------------------------------------------------

void MainDialog::historyChanged() {
    const EditHistory& history = document_.history();
    undo_->setEnabled(history.canUndo());
    undo_->setText(history.canUndo()
                       ? QStringLiteral("&Undo %1").arg(QString::fromStdString(history.undoText()))
                       : QStringLiteral("&Undo"));
    redo_->setEnabled(history.canRedo());
    redo_->setText(history.canRedo()
                       ? QStringLiteral("&Redo %1").arg(QString::fromStdString(history.redoText()))
                       : QStringLiteral("&Redo"));
    setWindowModified(!history.isClean());
}

void MainDialog::undo() {
    if (const std::optional<EditPlace> place = document_.undo()) {
        showPlace(*place);
    }
}

void MainDialog::redo() {
    if (const std::optional<EditPlace> place = document_.redo()) {
        showPlace(*place);
    }
}

void MainDialog::showPlace(const EditPlace& place) {
    // Names may have changed back (an internal name, an imported career).
    const CareerDatabase& database = document_.database();
    for (int row = 0; row < careerList_->rowCount(); ++row) {
        if (const CareerTrack* track =
                database.track(static_cast<std::size_t>(careerList_->rowData(row)))) {
            careerList_->setRowText(row, 1, decoded(track->career.internalCareerName));
        }
    }
    if (place.language >= 0 && place.language != currentLanguage_) {
        currentLanguage_ = place.language;
        languageActions_[static_cast<std::size_t>(place.language)]->setChecked(true);
    }
    int row = careerList_->selectedRow();
    if (place.position != EditPlace::kNone) {
        row = careerList_->rowOfData(static_cast<int>(place.position));
    }
    updating_ = true;
    careerList_->selectRow(row);
    updating_ = false;
    showCareer();
    if (place.level != EditPlace::kNone) {
        jobList_->selectRow(jobList_->rowOfData(static_cast<int>(place.level)));
    }
}

// ---- Showing careers and jobs -------------------------------------------------------

int MainDialog::selectedLevel() const {
    const int row = jobList_->selectedRow();
    if (row < 0) {
        return -1;
    }
    const int level = jobList_->rowData(row);
    const CareerChunk* chunk = document_.database().track(selectedCareer_) != nullptr
                                   ? &document_.database().track(selectedCareer_)->career
                                   : nullptr;
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
    if (updating_) {
        return;
    }
    savedJobRow_.takeSelection(jobList_->selectedRow());
    jobList_->removeAllRows();

    const bool cardsDisabled = session().state.chanceCardsDisabled;
    const int row = careerList_->selectedRow();
    if (row < 0) {
        applyEnabling(controlEnabling(false, false, cardsDisabled));
        for (QString& buffer : buffers_) {
            buffer.clear();
        }
        showBuffers();
        setPicture(placeholderPicture());
        savedJobRow_.careerCleared();
        return;
    }

    selectedCareer_ = static_cast<std::size_t>(careerList_->rowData(row));
    const CareerTrack* track = document_.database().track(selectedCareer_);
    loadEntry(TextField::InternalCareerName, 0);
    loadEntry(TextField::CareerName, 0);
    loadEntry(TextField::MaleOffer, 0);
    loadEntry(TextField::FemaleOffer, 0);
    showBuffers();
    applyEnabling(controlEnabling(true, false, cardsDisabled));

    if (track != nullptr) {
        for (std::size_t level = 0; level < track->career.levels.size(); ++level) {
            jobList_->appendRow({idText(static_cast<unsigned>(level)),
                                 decoded(track->career.levels[level].internalJobName)},
                                static_cast<int>(level));
        }
    }
    jobList_->selectRow(savedJobRow_.rowToSelect());

    Bitmap icon;
    if (track != nullptr && session().icons.getPopupIcon(track->id, icon)) {
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
    const bool cardsDisabled = session().state.chanceCardsDisabled;
    if (level < 0) {
        applyEnabling(controlEnabling(careerSelected, false, cardsDisabled));
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
    applyEnabling(controlEnabling(careerSelected, true, cardsDisabled));
}

// ---- Text fields ----------------------------------------------------------------------

bool MainDialog::loadEntry(TextField field, std::size_t level) {
    const std::optional<std::string> text =
        document_.fieldText(selectedCareer_, level, field, currentLanguage_);
    if (!text) {
        return false;
    }
    buffers_[static_cast<std::size_t>(field)] = QString::fromStdString(*text);
    return true;
}

void MainDialog::commitField(TextField field) {
    const int row = careerList_->selectedRow();
    if (!initialised_ || updating_ || row < 0) {
        return;
    }
    readControls();
    const std::size_t index = static_cast<std::size_t>(field);
    const EditResult result =
        document_.commitFieldText(static_cast<std::size_t>(careerList_->rowData(row)), selectedJob_,
                                  field, currentLanguage_, buffers_[index].toStdString());
    if (result.refused()) {
        refuseEdit(field, result.message);
        return;
    }
    if (field == TextField::InternalCareerName) {
        careerList_->setRowText(row, 1, buffers_[index]);
    }
    accepted_[index] = buffers_[index];
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
    setAllLanguages(document_, prompts_, selectedCareer_, currentLanguage_);
}

// ---- File menu ----------------------------------------------------------------------------

void MainDialog::save() {
    // The reload after saving shows the same place again.
    const int careerRow = careerList_->selectedRow();
    const int jobRow = jobList_->selectedRow();
    const int language = currentLanguage_;
    if (!saveDocument(document_, prompts_)) {
        return;
    }
    careerList_->removeAllRows();
    prepareReload(session());
    if (!load(true)) {
        return;
    }
    currentLanguage_ = language;
    languageActions_[static_cast<std::size_t>(language)]->setChecked(true);
    updating_ = true;
    careerList_->selectRow(std::min(careerRow, careerList_->rowCount() - 1));
    updating_ = false;
    showCareer();
    if (jobRow >= 0) {
        jobList_->selectRow(std::min(jobRow, jobList_->rowCount() - 1));
    }
    prompts_.show(
        {kOperationCompleteText, kProgramCaption, PromptButtons::Ok, PromptIcon::Information});
}

void MainDialog::requestExit() {
    if (confirmExit(document_, prompts_)) {
        closeWith(QDialog::Accepted);
    }
}

void MainDialog::showAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainDialog::openUserGuide() {
    const std::string guide = findUserGuide(
        QCoreApplication::applicationDirPath().toStdString(),
        [](const std::string& path) { return QFileInfo(QString::fromStdString(path)).isFile(); });
    if (guide.empty()) {
        prompts_.show(errorMessage(kUserGuideMissingText, kProgramCaption));
        return;
    }
    const QString path = QFileInfo(QString::fromStdString(guide)).absoluteFilePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        prompts_.show(errorMessage(kUserGuideNotOpenedText + path.toStdString(), kProgramCaption));
    }
}

// ---- Editing dialogs -------------------------------------------------------------------------

void MainDialog::openJobDetails() {
    const int level = selectedLevel();
    const CareerTrack* track = document_.database().track(selectedCareer_);
    if (level < 0 || track == nullptr) {
        return;
    }
    const std::size_t j = static_cast<std::size_t>(level);
    JobLevel copy = track->career.levels[j];
    if (!dialogs_.editJobDetails(this, copy, document_.previousRequirements(selectedCareer_, j),
                                 document_.jobDetailsLine(selectedCareer_, j, currentLanguage_))) {
        return;
    }
    document_.setJobLevel(selectedCareer_, j, copy);
    jobList_->setRowText(jobList_->selectedRow(), 1, decoded(copy.internalJobName));
}

void MainDialog::openChanceCards() {
    const int level = selectedLevel();
    if (level >= 0) {
        dialogs_.editChanceCard(this, selectedCareer_, static_cast<std::size_t>(level),
                                currentLanguage_);
    }
}

void MainDialog::openIcons() {
    const int row = careerList_->selectedRow();
    if (row < 0) {
        return;
    }
    selectedCareer_ = static_cast<std::size_t>(careerList_->rowData(row));
    Bitmap popup;
    Bitmap button;
    if (document_.database().track(selectedCareer_) == nullptr ||
        !dialogs_.editIcons(this, selectedCareer_, popup, button)) {
        return;
    }
    document_.setIcons(selectedCareer_, popup, button);
    setPicture(toImage(popup));
}

void MainDialog::openGlobalOptions() {
    std::array<std::int16_t, kGlobalOptionCount> values{};
    if (dialogs_.editGlobalOptions(this, values)) {
        document_.setGlobalOptions(values);
    }
}

void MainDialog::openGlobalTexts() {
    std::map<int, GlobalTextValues> texts;
    if (dialogs_.editGlobalTexts(this, currentLanguage_, texts)) {
        document_.setGlobalTexts(texts);
    }
}

void MainDialog::importCareers() {
    dialogs_.importCareers(*this);
}

void MainDialog::exportCareer() {
    dialogs_.exportCareer(*this);
}

void MainDialog::backupCareers() {
    dialogs_.backupCareers(*this);
}

void MainDialog::exportTranslation() {
    jf::exportTranslation(document_, prompts_, currentLanguage_);
}

void MainDialog::importTranslation() {
    EditPlace place;
    if (jf::importTranslation(document_, prompts_, &place) == ExchangeResult::Succeeded) {
        showPlace(place);
    }
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
    if (watched == client_ && event->type() == QEvent::Resize) {
        placeControls();
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // The fields would take Undo and Redo for their own history; leave
        // those keys to the window's Edit menu.
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction* entry : {undo_, redo_}) {
            for (const QKeySequence& shortcut : entry->shortcuts()) {
                if (shortcut == pressed) {
                    event->ignore();
                    return true;
                }
            }
        }
    }
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
