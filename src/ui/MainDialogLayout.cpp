#include "ui/MainDialog.h"
// Building the main window (menus, controls, tab order) and reaching its
// widgets; what the window does lives in MainDialog.cpp.

#include <QAction>
#include <QActionGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "document/Document.h"
#include "ui/CareerListControl.h"
#include "ui/DialogUnits.h"

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

}  // namespace

// ---- Construction -----------------------------------------------------------------

void MainDialog::buildMenus() {
    menuBar_ = new QMenuBar(this);
    auto addCommand = [this](QMenu* menu, const char* label, int id, auto slot,
                             const QList<QKeySequence>& keys = {}) {
        QAction* entry = menu->addAction(QString::fromUtf8(label));
        entry->setData(id);
        entry->setShortcuts(keys);
        connect(entry, &QAction::triggered, this, slot);
        // Also an action of the window itself, so that its keys work while
        // the menu is closed.
        addAction(entry);
        commandActions_.push_back(entry);
        return entry;
    };

    QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
    addCommand(file, "&Reload", command::kReload, [this] { reloadAll(); },
               {QKeySequence(Qt::CTRL | Qt::Key_R)});
    addCommand(file, "&Save", command::kSave, &MainDialog::save, {QKeySequence::Save});
    file->addSeparator();
    addCommand(file, "Global &options...", command::kGlobalOptions, &MainDialog::openGlobalOptions);
    addCommand(file, "Global &texts...", command::kGlobalTexts, &MainDialog::openGlobalTexts);
    file->addSeparator();
    addCommand(file, "Ex&port translation...", command::kExportTranslation,
               &MainDialog::exportTranslation);
    addCommand(file, "I&mport translation...", command::kImportTranslation,
               &MainDialog::importTranslation);
    file->addSeparator();
    addCommand(file, "E&xit", command::kExit, &MainDialog::requestExit,
               {QKeySequence(Qt::CTRL | Qt::Key_Q)});

    QMenu* edit = menuBar_->addMenu(QStringLiteral("&Edit"));
    undo_ = addCommand(edit, "&Undo", command::kUndo, &MainDialog::undo, {QKeySequence::Undo});
    redo_ = addCommand(
        edit, "&Redo", command::kRedo, &MainDialog::redo,
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    QMenu* career = menuBar_->addMenu(QStringLiteral("&Career"));
    addCommand(career, "Import", command::kImport, &MainDialog::importCareers);
    addCommand(career, "Export", command::kExport, &MainDialog::exportCareer);
    addCommand(career, "Backup", command::kBackup, &MainDialog::backupCareers);

    QMenu* language = menuBar_->addMenu(QStringLiteral("&Language"));
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

    QMenu* help = menuBar_->addMenu(QStringLiteral("&Help"));
    addCommand(help, "&User Guide", command::kUserGuide, &MainDialog::openUserGuide,
               {QKeySequence::HelpContents});
    addCommand(help, "About", command::kAbout, &MainDialog::showAbout);
}

void MainDialog::buildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar_);

    // The client area has today's layout as its smallest size; the window
    // can grow, and then each control moves and grows by its share of the
    // extra room (see Growth): the lists, the group boxes and the text
    // fields take it, labels and buttons keep their places beside them.
    client_ = new QWidget(this);
    const DialogUnits du(font());
    baseClientSize_ = du.size(kClientWidthDu, kClientHeightDu);
    client_->setMinimumSize(baseClientSize_);
    client_->installEventFilter(this);
    layout->addWidget(client_);
    QWidget* client = client_;
    auto place = [this](QWidget* widget, const QRect& rect, Growth growth) {
        growing_.place(widget, rect, growth);
    };
    // The left column (the lists) takes this share of the extra width; the
    // top half (career) and the bottom half (job) half the extra height each.
    constexpr double kLeft = 0.3;
    constexpr double kRight = 1.0 - kLeft;
    constexpr double kHalf = 0.5;
    constexpr double kQuarter = 0.25;

    // Group boxes first, so that the controls inside lie above them.
    place(new QGroupBox(QStringLiteral("Career information"), client), du.rect(148, 7, 249, 158),
          {kLeft, 0, kRight, kHalf});
    place(new QGroupBox(QStringLiteral("Job information"), client), du.rect(148, 174, 249, 122),
          {kLeft, kHalf, kRight, kHalf});

    careerList_ = new CareerListControl(client);
    careerList_->setObjectName(QStringLiteral("careerList"));
    place(careerList_, du.rect(7, 7, 128, 158), {0, 0, kLeft, kHalf});
    careerList_->addColumn(QString::fromUtf8(kIdColumnTitle), kIdColumnWidth);
    careerList_->addColumn(QString::fromUtf8(kCareerNameColumnTitle), kCareerNameColumnWidth);
    jobList_ = new CareerListControl(client);
    jobList_->setObjectName(QStringLiteral("jobList"));
    place(jobList_, du.rect(7, 177, 128, 119), {0, kHalf, kLeft, kHalf});
    jobList_->addColumn(QString::fromUtf8(kIdColumnTitle), kIdColumnWidth);
    jobList_->addColumn(QStringLiteral("Internal job name"), kJobNameColumnWidth);
    connect(careerList_, &QTreeWidget::itemSelectionChanged, this, &MainDialog::showCareer);
    connect(jobList_, &QTreeWidget::itemSelectionChanged, this, &MainDialog::showJob);

    // Labels wrap rather than clip when the interface font runs wide.
    auto label = [&](const char* text, const QRect& rect, double down) {
        auto* shown = new QLabel(QString::fromUtf8(text), client);
        place(shown, rect, {kLeft, down, 0, 0});
        shown->setWordWrap(true);
        shown->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return shown;
    };
    auto lineEdit = [&](TextField field, const QRect& rect, double down) {
        auto* edit = new QLineEdit(client);
        place(edit, rect, {kLeft, down, kRight, 0});
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this, field] { commitField(field); });
        return edit;
    };
    auto multiLineEdit = [&](TextField field, const QRect& rect, double down, double taller) {
        auto* edit = new QPlainTextEdit(client);
        place(edit, rect, {kLeft, down, kRight, taller});
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setTabChangesFocus(true);
        // Undo belongs to the document, not to the field.
        edit->setUndoRedoEnabled(false);
        edit->installEventFilter(this);
        connect(edit, &QPlainTextEdit::textChanged, this, [this, field] {
            if (!updating_) {
                commitField(field);
            }
        });
        return edit;
    };

    label("Internal career name:", du.rect(157, 28, 82, 8), 0);
    internalCareerName_ = lineEdit(TextField::InternalCareerName, du.rect(240, 26, 142, 12), 0);
    label("Career name:", du.rect(157, 42, 82, 8), 0);
    careerName_ = lineEdit(TextField::CareerName, du.rect(240, 40, 142, 12), 0);
    label("Male offer dialog text:", du.rect(157, 57, 82, 18), 0);
    maleOffer_ = multiLineEdit(TextField::MaleOffer, du.rect(240, 55, 142, 32), 0, kQuarter);
    label("Female offer dialog text:", du.rect(157, 92, 82, 18), kQuarter);
    femaleOffer_ =
        multiLineEdit(TextField::FemaleOffer, du.rect(240, 90, 142, 32), kQuarter, kQuarter);

    picture_ = new QLabel(client);
    picture_->setObjectName(QStringLiteral("picture"));
    place(picture_, du.rect(157, 114, 58, 41), {kLeft, kHalf, 0, 0});
    picture_->setFrameShape(QFrame::Box);
    picture_->setAlignment(Qt::AlignCenter);
    modifyIcons_ = new QPushButton(QStringLiteral("Modify icons"), client);
    place(modifyIcons_, du.rect(240, 133, 50, 14), {kLeft, kHalf, 0, 0});
    connect(modifyIcons_, &QPushButton::clicked, this, &MainDialog::openIcons);

    label("Male job name:", du.rect(157, 190, 83, 8), kHalf);
    maleJobName_ = lineEdit(TextField::MaleJobName, du.rect(241, 188, 142, 12), kHalf);
    label("Female job name:", du.rect(157, 204, 83, 8), kHalf);
    femaleJobName_ = lineEdit(TextField::FemaleJobName, du.rect(241, 202, 142, 12), kHalf);
    label("Job description:", du.rect(157, 218, 83, 12), kHalf);
    jobDescription_ =
        multiLineEdit(TextField::JobDescription, du.rect(241, 216, 142, 46), kHalf, kHalf);
    label("In the job names, \\n functions as a 'next line'", du.rect(157, 231, 77, 51), kHalf);

    jobDetails_ = new QPushButton(QStringLiteral("&Job details"), client);
    place(jobDetails_, du.rect(258, 271, 50, 14), {kLeft, 1, 0, 0});
    connect(jobDetails_, &QPushButton::clicked, this, &MainDialog::openJobDetails);
    chanceCards_ = new QPushButton(QStringLiteral("&Chance Cards"), client);
    place(chanceCards_, du.rect(319, 271, 50, 14), {kLeft, 1, 0, 0});
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

void MainDialog::placeControls() {
    growing_.grow(client_->size() - baseClientSize_);
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

// ---- Text fields ----------------------------------------------------------------------

QWidget* MainDialog::fieldWidget(TextField field) const {
    const std::array<QWidget*, kTextFieldCount> widgets = {
        internalCareerName_, careerName_,    maleOffer_,     femaleOffer_,
        maleJobName_,        femaleJobName_, jobDescription_};
    return widgets[static_cast<std::size_t>(field)];
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

void MainDialog::refuseEdit(TextField field, const std::string& message) {
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
    prompts_.show({message, kRefusedCharacterCaption, PromptButtons::Ok, PromptIcon::Warning});
}

}  // namespace jf
