#include "ui/GlobalTextsDialog.h"

#include <algorithm>
#include "ui/DialogSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <limits>

#include "careers/CareerDatabase.h"
#include "careers/DefaultTexts.h"
#include "document/Document.h"
#include "exchange/ExchangeMessages.h"
#include "platform/CodePages.h"
#include "platform/Messages.h"
#include "platform/Prompts.h"
#include "ui/DialogUnits.h"

namespace jf {

namespace {

constexpr int kWidthDu = 334;
constexpr int kHeightDu = 327;
constexpr int kFieldLeftDu = 89;
constexpr int kFieldWidthDu = 238;
constexpr std::array<int, kGlobalTextFieldCount> kFieldTopDu = {19,  35,  51,  82,  113,
                                                                144, 175, 206, 237, 268};
constexpr int kSingleLineHeightDu = 14;
constexpr int kMultiLineHeightDu = 29;

}  // namespace

GlobalTextsDialog::GlobalTextsDialog(Prompts& prompts, const CareerDatabase& database,
                                     DefaultsSource defaults, QWidget* parent)
    : QDialog(parent),
      prompts_(prompts),
      database_(database),
      defaultsSource_(std::move(defaults)) {
    if (!defaultsSource_) {
        defaultsSource_ = [] { return defaultGlobalTextsBody(); };
    }
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    buildControls();

    // Always opens in USEnglish, whatever language the main window shows.
    updating_ = true;
    languages_->setCurrentIndex(0);
    updating_ = false;
    shownLanguage_ = 0;
    loadFields();
}

void GlobalTextsDialog::buildControls() {
    const DialogUnits du(font());
    // Today's layout is the smallest size; a larger window gives its extra
    // width to the text fields and its extra height to the multi-line ones,
    // the rows below them moving down.
    setMinimumSize(du.size(kWidthDu, kHeightDu));
    resize(minimumSize());

    auto* heading = new QLabel(
        QStringLiteral("These are texts used in the message windows in the game."), this);
    growing_.place(heading, du.rect(7, 5, 320, 8), {});

    ok_ = new QPushButton(QString::fromUtf8(kOkButtonText), this);
    cancel_ = new QPushButton(QString::fromUtf8(kCancelButtonText), this);
    defaults_ = new QPushButton(QStringLiteral("Defaults"), this);

    const auto& fields = globalTextFields();
    const double multiLineShare =
        1.0 / static_cast<double>(std::max<std::ptrdiff_t>(
                  1, std::count_if(fields.begin(), fields.end(),
                                   [](const GlobalTextField& field) { return field.multiLine; })));
    double down = 0;  // the share of extra height the fields above took
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const GlobalTextField& info = fields[i];
        const int top = kFieldTopDu[i];
        auto* label = new QLabel(QString::fromUtf8(info.label), this);
        growing_.place(label, du.rect(7, top + 3, 80, 8), {0, down, 0, 0});
        QWidget* widget = nullptr;
        if (info.multiLine) {
            auto* edit = new QPlainTextEdit(this);
            growing_.place(edit, du.rect(kFieldLeftDu, top, kFieldWidthDu, kMultiLineHeightDu),
                           {0, down, 1, multiLineShare});
            down += multiLineShare;
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            edit->setTabChangesFocus(true);
            makeEnterPressDefault(edit, ok_);
            connect(edit, &QPlainTextEdit::textChanged, this, [this] {
                if (!updating_) {
                    dirty_ = true;
                }
            });
            widget = edit;
        } else {
            auto* edit = new QLineEdit(this);
            growing_.place(edit, du.rect(kFieldLeftDu, top, kFieldWidthDu, kSingleLineHeightDu),
                           {0, down, 1, 0});
            edit->setMaxLength(std::numeric_limits<int>::max());
            connect(edit, &QLineEdit::textChanged, this, [this] {
                if (!updating_) {
                    dirty_ = true;
                }
            });
            widget = edit;
        }
        widget->setObjectName(controlObjectName(info.editId));
        label->setBuddy(widget);
        fields_[i] = widget;
    }

    auto* languageLabel = new QLabel(QStringLiteral("Language:"), this);
    growing_.place(languageLabel, du.rect(7, 308, 40, 8), {0, 1, 0, 0});
    languages_ = new QComboBox(this);
    languages_->setObjectName(controlObjectName(1008));
    for (const char* name : kGlobalTextLanguages) {
        languages_->addItem(QString::fromUtf8(name));
    }
    growing_.place(languages_, du.rect(49, 305, 100, 13), {0, 1, 0, 0});
    languageLabel->setBuddy(languages_);
    connect(languages_, &QComboBox::currentIndexChanged, this,
            &GlobalTextsDialog::languageSelected);

    ok_->setObjectName(controlObjectName(1));
    growing_.place(ok_, du.rect(167, 305, 50, 14), {1, 1, 0, 0});
    cancel_->setObjectName(controlObjectName(2));
    growing_.place(cancel_, du.rect(222, 305, 50, 14), {1, 1, 0, 0});
    defaults_->setObjectName(controlObjectName(1152));
    growing_.place(defaults_, du.rect(277, 305, 50, 14), {1, 1, 0, 0});
    makeEnterPressFocusedButton(this, ok_);
    connect(ok_, &QPushButton::clicked, this, &GlobalTextsDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &GlobalTextsDialog::reject);
    connect(defaults_, &QPushButton::clicked, this, &GlobalTextsDialog::loadDefaults);

    for (std::size_t i = 1; i < fields_.size(); ++i) {
        setTabOrder(fields_[i - 1], fields_[i]);
    }
    setTabOrder(fields_.back(), languages_);
    setTabOrder(languages_, ok_);
    setTabOrder(ok_, cancel_);
    setTabOrder(cancel_, defaults_);
}

QString GlobalTextsDialog::fieldText(std::size_t position) const {
    if (auto* line = qobject_cast<QLineEdit*>(fields_[position])) {
        return line->text();
    }
    return static_cast<QPlainTextEdit*>(fields_[position])->toPlainText();
}

void GlobalTextsDialog::setFieldText(std::size_t position, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(fields_[position])) {
        line->setText(text);
    } else {
        static_cast<QPlainTextEdit*>(fields_[position])->setPlainText(text);
    }
}

void GlobalTextsDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    growing_.grow(size() - minimumSize());
}

void GlobalTextsDialog::showTexts(const GlobalTextValues& texts) {
    const auto& fields = globalTextFields();
    updating_ = true;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        shown_[i] = FieldText(texts[i], codePageForSlot(shownLanguage_), fields[i].multiLine);
        setFieldText(i, shown_[i].shown());
    }
    updating_ = false;
}

void GlobalTextsDialog::loadFields() {
    // An entry the table lacks leaves its field as it was.
    GlobalTextValues texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = shown_[i].bytes();
    }
    const auto kept = stored_.find(shownLanguage_);
    if (kept != stored_.end()) {
        texts = kept->second;
    } else {
        readGlobalTexts(database_.globalTexts(), shownLanguage_, texts);
    }
    showTexts(texts);
    dirty_ = false;
}

bool GlobalTextsDialog::storeFields(int slot) {
    // The fields hold texts of shownLanguage_; they are stored in `slot`,
    // which is always that language.
    GlobalTextValues texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::optional<std::string> bytes = shown_[i].stored(fieldText(i));
        if (!bytes) {
            prompts_.show(unstorableTextWarning(fieldText(i), shownLanguage_));
            focusAndSelect(fields_[i]);
            return false;
        }
        texts[i] = *bytes;
    }
    stored_[slot] = texts;
    return true;
}

void GlobalTextsDialog::languageSelected(int index) {
    if (updating_ || index < 0 || index == shownLanguage_) {
        return;
    }
    if (dirty_) {
        const PromptAnswer answer = prompts_.show(
            {kSaveQuestion, kQuestionBoxCaption, PromptButtons::YesNo, PromptIcon::Question});
        if (answer == PromptAnswer::Yes && !storeFields(shownLanguage_)) {
            // Not storable in its language: stay there with what was typed.
            updating_ = true;
            languages_->setCurrentIndex(shownLanguage_);
            updating_ = false;
            return;
        }
    }
    shownLanguage_ = index;
    loadFields();
}

void GlobalTextsDialog::loadDefaults() {
    const std::vector<std::uint8_t> body = defaultsSource_();
    GlobalTextValues texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = shown_[i].bytes();
    }
    switch (readDefaultGlobalTexts(body, languages_->currentIndex(), texts)) {
        case DefaultTextsStatus::Missing:
            prompts_.show(errorMessage(kDefaultsMissingMessage, kErrorCaption));
            return;
        case DefaultTextsStatus::Damaged:
            prompts_.show(errorMessage(kDefaultsDamagedMessage, kErrorCaption));
            return;
        case DefaultTextsStatus::Ok:
            break;
    }
    showTexts(texts);
    dirty_ = true;
}

void GlobalTextsDialog::accept() {
    if (dirty_ && !storeFields(languages_->currentIndex())) {
        return;
    }
    QDialog::accept();
}

}  // namespace jf
