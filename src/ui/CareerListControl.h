#pragma once
// The list control of the career list, the job list and the replace-career
// list: a report-style list with columns that
//   - selects a row by a click anywhere in it (any column); Ctrl+click
//     toggles the row (so Ctrl+click on the selected row clears the
//     selection); Shift (and Ctrl+Shift) extend from the anchor when the list
//     allows several rows;
//   - clears the selection on a click below the rows;
//   - reports every left/right click and double-click to its parent
//     (clickNotified), also those below the rows;
//   - paints a selected row across its full width, in the highlight colours
//     while it has the keyboard focus and in the button-face colour with the
//     window-text colour while it has not, so the selection stays visible.
// Each row has one integer of item data. Selection changes are reported by
// the view's itemSelectionChanged signal.

#include <QString>
#include <QTreeWidget>
#include <vector>

namespace jf {

// The column titles of the career lists (the main window's and the
// replace-career dialog's).
inline constexpr char kIdColumnTitle[] = "ID";
inline constexpr char kCareerNameColumnTitle[] = "Internal career name";

class CareerListControl final : public QTreeWidget {
    Q_OBJECT

public:
    enum class Click { Click, DoubleClick, RightClick, RightDoubleClick };
    Q_ENUM(Click)

    explicit CareerListControl(QWidget* parent = nullptr);

    // Column set-up: a header text and a width in pixels per column. The
    // width is the column's smallest: a column widens to fit its header and
    // its rows as they are added or changed, and every cell carries its whole
    // text as a tooltip.
    void addColumn(const QString& title, int width);

    // Appends a row with the texts of its columns and its item data; false
    // (nothing inserted) when the texts do not match the columns.
    bool appendRow(const QStringList& texts, int itemData);
    void removeAllRows();
    int rowCount() const { return topLevelItemCount(); }
    // Item data of a row; -1 when the row does not exist.
    int rowData(int row) const;
    // The first row whose item data is `itemData`; -1 when there is none.
    int rowOfData(int itemData) const;
    QString rowText(int row, int column) const;
    void setRowText(int row, int column, const QString& text);

    // The first selected row, or -1.
    int selectedRow() const;
    bool isRowSelected(int row) const;

    // Selects a row from the program: both anchors become the row, then the
    // row is selected and focused (reported like a user's selection). A row
    // that does not exist selects nothing.
    void selectRow(int row);

    int lastClickedRow() const { return lastClickedRow_; }
    int anchorRow() const { return anchorRow_; }

signals:
    void clickNotified(jf::CareerListControl::Click kind);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    void handleClick(QMouseEvent* event, Click kind);
    void fitColumns();
    void setRowSelected(int row, bool selected);
    void selectRange(int from, int to);
    void focusRow(int row);

    std::vector<int> smallestWidths_;
    int lastClickedRow_ = -1;
    int anchorRow_ = -1;
};

}  // namespace jf
