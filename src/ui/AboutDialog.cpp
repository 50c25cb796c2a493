#include "ui/AboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/Version.h"
#include "ui/Artwork.h"

namespace jf {

namespace {
constexpr int kIconSize = 32;
}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(programIcon().pixmap(kIconSize, kIconSize));
    row->addWidget(icon);
    auto* version = new QLabel(QString::fromUtf8(kVersionLine), this);
    version->setObjectName(QStringLiteral("version"));
    row->addWidget(version, 1);
    auto* number = new QLabel(QString::fromStdString(programVersionLine()), this);
    number->setObjectName(QStringLiteral("versionNumber"));
    number->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addLayout(row);
    layout->addWidget(number);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace jf
