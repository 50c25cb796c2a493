#include "ui/CareerListControl.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace jf {
namespace {

class CareerListControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.resize(320, 300);
        auto* layout = new QVBoxLayout(&window_);
        list_ = new CareerListControl(&window_);
        list_->addColumn(QStringLiteral("ID"), 35);
        list_->addColumn(QStringLiteral("Internal career name"), 125);
        layout->addWidget(list_);
        edit_ = new QLineEdit(&window_);
        layout->addWidget(edit_);
        for (int row = 0; row < 4; ++row) {
            ASSERT_TRUE(list_->appendRow(
                {QStringLiteral("#%1").arg(row * 10 + 1), QStringLiteral("Career %1").arg(row)},
                100 + row));
        }
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }

    QPoint cellCentre(int row, int column) const {
        return list_->visualRect(list_->model()->index(row, column)).center();
    }
    void click(int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, modifiers, cellCentre(row, column));
    }
    QPoint belowRows() const {
        const QRect last = list_->visualRect(list_->model()->index(list_->rowCount() - 1, 0));
        return {last.center().x(), last.bottom() + 3 * last.height()};
    }

    QWidget window_;
    CareerListControl* list_ = nullptr;
    QLineEdit* edit_ = nullptr;
};

TEST_F(CareerListControlTest, RowsCarryTextsAndItemData) {
    EXPECT_EQ(list_->rowCount(), 4);
    EXPECT_EQ(list_->rowText(2, 0), QStringLiteral("#21"));
    EXPECT_EQ(list_->rowText(2, 1), QStringLiteral("Career 2"));
    EXPECT_EQ(list_->rowData(2), 102);
    EXPECT_EQ(list_->rowData(7), -1);
    EXPECT_FALSE(list_->appendRow({QStringLiteral("only one column")}, 5));
    EXPECT_EQ(list_->rowCount(), 4);
    list_->setRowText(1, 1, QStringLiteral("Renamed"));
    EXPECT_EQ(list_->rowText(1, 1), QStringLiteral("Renamed"));
    list_->removeAllRows();
    EXPECT_EQ(list_->rowCount(), 0);
    EXPECT_EQ(list_->selectedRow(), -1);
}

TEST_F(CareerListControlTest, AClickInTheSecondColumnSelectsTheRow) {
    QSignalSpy clicks(list_, &CareerListControl::clickNotified);
    QSignalSpy changes(list_, &QTreeWidget::itemSelectionChanged);
    click(2, 1);
    EXPECT_EQ(list_->selectedRow(), 2);
    EXPECT_EQ(list_->lastClickedRow(), 2);
    EXPECT_EQ(list_->anchorRow(), 2);
    EXPECT_EQ(list_->currentIndex().row(), 2);
    EXPECT_TRUE(list_->hasFocus());
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).value<CareerListControl::Click>(),
              CareerListControl::Click::Click);
    EXPECT_GE(changes.count(), 1);

    click(0, 0);
    EXPECT_EQ(list_->selectedRow(), 0);
    EXPECT_FALSE(list_->isRowSelected(2));
}

TEST_F(CareerListControlTest, CtrlClickOnTheSelectedRowClearsTheSelection) {
    click(1, 1);
    ASSERT_EQ(list_->selectedRow(), 1);
    click(1, 1, Qt::ControlModifier);
    EXPECT_EQ(list_->selectedRow(), -1);
    // Ctrl+click on another row selects it again.
    click(3, 0, Qt::ControlModifier);
    EXPECT_EQ(list_->selectedRow(), 3);
    EXPECT_EQ(list_->anchorRow(), 3);
}

TEST_F(CareerListControlTest, AClickBelowTheRowsClearsTheSelectionAndIsStillReported) {
    click(1, 0);
    QSignalSpy clicks(list_, &CareerListControl::clickNotified);
    QSignalSpy changes(list_, &QTreeWidget::itemSelectionChanged);
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, belowRows());
    EXPECT_EQ(list_->selectedRow(), -1);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(CareerListControlTest, RightClicksAndDoubleClicksAreReported) {
    QSignalSpy clicks(list_, &CareerListControl::clickNotified);
    QTest::mouseClick(list_->viewport(), Qt::RightButton, Qt::NoModifier, cellCentre(2, 1));
    EXPECT_EQ(list_->selectedRow(), 2);
    QTest::mouseDClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(1, 1));
    EXPECT_EQ(list_->selectedRow(), 1);
    QList<CareerListControl::Click> kinds;
    for (const QList<QVariant>& call : clicks) {
        kinds << call.at(0).value<CareerListControl::Click>();
    }
    ASSERT_FALSE(kinds.isEmpty());
    EXPECT_EQ(kinds.first(), CareerListControl::Click::RightClick);
    EXPECT_TRUE(kinds.contains(CareerListControl::Click::DoubleClick));
}

TEST_F(CareerListControlTest, SelectRowSetsAnchorsSelectsAndFocuses) {
    QSignalSpy changes(list_, &QTreeWidget::itemSelectionChanged);
    list_->selectRow(3);
    EXPECT_EQ(list_->selectedRow(), 3);
    EXPECT_EQ(list_->currentIndex().row(), 3);
    EXPECT_EQ(list_->anchorRow(), 3);
    EXPECT_EQ(list_->lastClickedRow(), 3);
    EXPECT_EQ(changes.count(), 1);

    // A row that does not exist selects nothing; the one selected stays.
    list_->selectRow(9);
    EXPECT_EQ(list_->anchorRow(), 9);
    EXPECT_EQ(list_->selectedRow(), 3);
}

TEST_F(CareerListControlTest, ShiftClickExtendsFromTheAnchorWhenSeveralRowsAreAllowed) {
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    click(1, 0);
    click(3, 1, Qt::ShiftModifier);
    EXPECT_FALSE(list_->isRowSelected(0));
    EXPECT_TRUE(list_->isRowSelected(1));
    EXPECT_TRUE(list_->isRowSelected(2));
    EXPECT_TRUE(list_->isRowSelected(3));
    EXPECT_EQ(list_->anchorRow(), 1);
    EXPECT_EQ(list_->lastClickedRow(), 3);
    // A plain click keeps only the clicked row.
    click(2, 1);
    EXPECT_FALSE(list_->isRowSelected(1));
    EXPECT_TRUE(list_->isRowSelected(2));
    EXPECT_FALSE(list_->isRowSelected(3));
    // Ctrl adds single rows.
    click(0, 0, Qt::ControlModifier);
    EXPECT_TRUE(list_->isRowSelected(0));
    EXPECT_TRUE(list_->isRowSelected(2));
}

TEST_F(CareerListControlTest, TheSelectionStaysVisibleWithoutTheFocus) {
    QPalette colours = list_->palette();
    const QColor highlight(200, 0, 0);
    const QColor buttonFace(0, 160, 0);
    const QColor base(255, 255, 255);
    colours.setColor(QPalette::Highlight, highlight);
    colours.setColor(QPalette::Button, buttonFace);
    colours.setColor(QPalette::Base, base);
    list_->setPalette(colours);
    list_->setRowText(2, 1, QString());

    click(2, 0);
    ASSERT_TRUE(list_->hasFocus());
    // A point of the row's first cell away from its text, the empty second
    // cell, and the row beyond the last column.
    const QRect cell = list_->visualRect(list_->model()->index(2, 0));
    const QPoint edge(cell.left() + 1, cell.bottom() - 1);
    const QPoint emptyCell = cellCentre(2, 1);
    const QPoint beyond(list_->viewport()->width() - 3, cell.center().y());
    QImage shot = list_->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(edge), highlight);
    EXPECT_EQ(shot.pixelColor(emptyCell), highlight);
    EXPECT_EQ(shot.pixelColor(beyond), highlight);

    edit_->setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(list_->hasFocus());
    EXPECT_EQ(list_->selectedRow(), 2);
    shot = list_->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(edge), buttonFace);
    EXPECT_EQ(shot.pixelColor(emptyCell), buttonFace);
    // Rows that are not selected keep the window colour.
    EXPECT_EQ(
        shot.pixelColor(list_->visualRect(list_->model()->index(1, 0)).topLeft() + QPoint(1, 1)),
        base);
}

}  // namespace
}  // namespace jf
