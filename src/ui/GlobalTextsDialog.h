#pragma once
// Ten of the game's message texts (car pool, school bus, promotion,
// demotion, coming home, the school bonus, military school), edited one
// language at a time, with the program's built-in default texts at hand.
//
// The dialog works on its own copy: the fields are kept for their language
// on OK, and at a change of language when the user agrees to keep what was
// typed; each text belongs to the language it was loaded in, in that
// language's code page. Nothing is written into the database: after OK,
// storedTexts() holds the texts of every language kept, which the caller
// hands to the document as one change. Cancel drops them all.

#include <QDialog>
#include <array>
#include <functional>
#include <map>
#include <vector>

#include "careers/GlobalTextsForm.h"
#include "ui/DialogSupport.h"

class QComboBox;
class QPushButton;
class QWidget;

namespace jf {

class CareerDatabase;
class Prompts;

class GlobalTextsDialog final : public QDialog {
    Q_OBJECT

public:
    static constexpr char kCaption[] = "Global texts";
    // Asked with caption kQuestionBoxCaption (exchange/ExchangeMessages.h).
    static constexpr char kSaveQuestion[] =
        "Do you want to save the changes made in this language?";

    // The built-in default texts: an STR# body (empty when it cannot be had).
    using DefaultsSource = std::function<std::vector<std::uint8_t>()>;

    // `database` must outlive the dialog. `defaults` empty: the program's
    // own default texts.
    GlobalTextsDialog(Prompts& prompts, const CareerDatabase& database,
                      DefaultsSource defaults = {}, QWidget* parent = nullptr);

    // Whether the dialog has kept texts of any language.
    bool changed() const { return !stored_.empty(); }
    // The texts kept, by language slot.
    const std::map<int, GlobalTextValues>& storedTexts() const { return stored_; }
    // Whether the fields changed since they were last loaded.
    bool dirty() const { return dirty_; }
    int shownLanguage() const { return shownLanguage_; }

    // The field of screen position 0..9 (a QLineEdit or a QPlainTextEdit).
    QWidget* field(std::size_t position) const { return fields_[position]; }
    QString fieldText(std::size_t position) const;
    void setFieldText(std::size_t position, const QString& text);
    QComboBox* languageList() const { return languages_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* defaultsButton() const { return defaults_; }

public slots:
    void loadDefaults();
    void accept() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void languageSelected(int index);
    // Loads the fields from the table in shownLanguage_.
    void loadFields();
    // Shows texts (bytes in shownLanguage_'s code page) in the fields.
    void showTexts(const GlobalTextValues& texts);
    // Stores the fields into `slot`; false (after the message, focus on the
    // field) when a text cannot be stored in that language's code page.
    bool storeFields(int slot);

    Prompts& prompts_;
    const CareerDatabase& database_;
    std::map<int, GlobalTextValues> stored_;
    DefaultsSource defaultsSource_;
    std::array<QWidget*, kGlobalTextFieldCount> fields_{};
    std::array<FieldText, kGlobalTextFieldCount> shown_;
    GrowingLayout growing_;
    QComboBox* languages_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* defaults_ = nullptr;
    int shownLanguage_ = 0;
    bool dirty_ = false;
    // Set while the dialog writes its own fields or list.
    bool updating_ = false;
};

}  // namespace jf
