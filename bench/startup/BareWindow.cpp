// The yardstick of the editor's start-up figure (bench/startup.sh): a bare
// Qt Widgets main window with a two-column list of 14 rows, as many as the
// editor's career list shows, built with the same flags. It ends as soon as
// it has painted itself, printing the time as the editor does.
#include <QApplication>
#include <QMainWindow>
#include <QTreeWidget>

#include "ui/StartupProbe.h"

namespace {
constexpr int kRows = 14;
}

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    auto* list = new QTreeWidget(&window);
    list->setHeaderLabels({QStringLiteral("ID"), QStringLiteral("Name")});
    for (int row = 0; row < kRows; ++row) {
        list->addTopLevelItem(new QTreeWidgetItem(
            {QStringLiteral("#%1").arg(row), QStringLiteral("Career %1").arg(row)}));
    }
    window.setCentralWidget(list);
    new jf::StartupProbe(window, [] { QApplication::quit(); });
    window.show();
    return QApplication::exec();
}
