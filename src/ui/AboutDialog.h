#pragma once
// "About Jobforge 3": the program icon, the version line and an OK button.

#include <QDialog>

namespace jf {

class AboutDialog final : public QDialog {
    Q_OBJECT

public:
    static constexpr char kCaption[] = "About Jobforge 3";
    static constexpr char kVersionLine[] = "Jobforge Version 3";

    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace jf
