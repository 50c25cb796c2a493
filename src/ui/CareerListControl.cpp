#include "ui/CareerListControl.h"

#include <algorithm>

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

namespace jf {

namespace {
// Room between a cell's left edge and its text.
constexpr int kTextMargin = 2;
}  // namespace

CareerListControl::CareerListControl(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
}

void CareerListControl::addColumn(const QString& title, int width) {
    const int column = columnCount();
    setColumnCount(column + 1);
    headerItem()->setText(column, title);
    headerItem()->setToolTip(column, title);
    smallestWidths_.push_back(width);
    header()->resizeSection(column, width);
    fitColumns();
}

void CareerListControl::fitColumns() {
    for (int column = 0; column < columnCount(); ++column) {
        const int fitting =
            std::max({smallestWidths_[static_cast<std::size_t>(column)], sizeHintForColumn(column),
                      header()->sectionSizeHint(column)});
        if (header()->sectionSize(column) < fitting) {
            header()->resizeSection(column, fitting);
        }
    }
}

bool CareerListControl::appendRow(const QStringList& texts, int itemData) {
    if (texts.size() != columnCount()) {
        return false;
    }
    auto* item = new QTreeWidgetItem(texts);
    item->setData(0, Qt::UserRole, itemData);
    // A cell too narrow for its text still shows all of it when hovered.
    for (int column = 0; column < texts.size(); ++column) {
        item->setToolTip(column, texts[column]);
    }
    addTopLevelItem(item);
    fitColumns();
    return true;
}

void CareerListControl::removeAllRows() {
    clear();
}

int CareerListControl::rowData(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->data(0, Qt::UserRole).toInt() : -1;
}

int CareerListControl::rowOfData(int itemData) const {
    for (int row = 0; row < rowCount(); ++row) {
        if (rowData(row) == itemData) {
            return row;
        }
    }
    return -1;
}

QString CareerListControl::rowText(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->text(column) : QString();
}

void CareerListControl::setRowText(int row, int column, const QString& text) {
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setText(column, text);
        item->setToolTip(column, text);
        fitColumns();
    }
}

int CareerListControl::selectedRow() const {
    for (int row = 0; row < rowCount(); ++row) {
        if (isRowSelected(row)) {
            return row;
        }
    }
    return -1;
}

bool CareerListControl::isRowSelected(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr && item->isSelected();
}

void CareerListControl::setRowSelected(int row, bool selected) {
    const QModelIndex index = model()->index(row, 0);
    if (!index.isValid()) {
        return;
    }
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::Rows;
    if (!selected) {
        flags |= QItemSelectionModel::Deselect;
    } else if (selectionMode() == QAbstractItemView::SingleSelection) {
        // Marking a row selected clears any other selection.
        flags |= QItemSelectionModel::ClearAndSelect;
    } else {
        flags |= QItemSelectionModel::Select;
    }
    selectionModel()->select(index, flags);
}

void CareerListControl::selectRange(int from, int to) {
    const int first = std::min(from, to);
    const int last = std::max(from, to);
    for (int row = first; row <= last; ++row) {
        if (!isRowSelected(row)) {
            setRowSelected(row, true);
        }
    }
}

void CareerListControl::focusRow(int row) {
    const QModelIndex index = model()->index(row, 0);
    if (index.isValid() && selectionModel()->currentIndex() != index) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
}

void CareerListControl::selectRow(int row) {
    lastClickedRow_ = row;
    anchorRow_ = row;
    if (row < 0 || row >= rowCount()) {
        return;
    }
    setRowSelected(row, true);
    focusRow(row);
    scrollToItem(topLevelItem(row));
}

void CareerListControl::handleClick(QMouseEvent* event, Click kind) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        // Beside the rows: the list's own handling, which drops the selection.
        clearSelection();
        setFocus(Qt::MouseFocusReason);
    } else {
        const int row = index.row();
        const Qt::KeyboardModifiers modifiers = event->modifiers();
        const bool shift = modifiers.testFlag(Qt::ShiftModifier);
        if (modifiers.testFlag(Qt::ControlModifier)) {
            if (shift && anchorRow_ >= 0) {
                selectRange(anchorRow_, row);
                lastClickedRow_ = row;
            } else {
                setRowSelected(row, !isRowSelected(row));
                lastClickedRow_ = row;
                anchorRow_ = row;
            }
        } else {
            if (selectionMode() != QAbstractItemView::SingleSelection) {
                for (int other = 0; other < rowCount(); ++other) {
                    if (other != row && isRowSelected(other)) {
                        setRowSelected(other, false);
                    }
                }
            }
            if (shift && anchorRow_ >= 0) {
                selectRange(anchorRow_, row);
                lastClickedRow_ = row;
            } else {
                if (!isRowSelected(row)) {
                    setRowSelected(row, true);
                }
                lastClickedRow_ = row;
                anchorRow_ = row;
            }
        }
        focusRow(row);
        setFocus(Qt::MouseFocusReason);
    }
    event->accept();
    emit clickNotified(kind);
}

void CareerListControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        handleClick(event, Click::Click);
    } else if (event->button() == Qt::RightButton) {
        handleClick(event, Click::RightClick);
    } else {
        QTreeWidget::mousePressEvent(event);
    }
}

void CareerListControl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        handleClick(event, Click::DoubleClick);
    } else if (event->button() == Qt::RightButton) {
        handleClick(event, Click::RightDoubleClick);
    } else {
        QTreeWidget::mouseDoubleClickEvent(event);
    }
}

void CareerListControl::mouseReleaseEvent(QMouseEvent* event) {
    // The press has done everything; the view's own release handling would
    // change the selection a second time.
    event->accept();
}

void CareerListControl::mouseMoveEvent(QMouseEvent* event) {
    // No selection by dragging.
    if (event->buttons() == Qt::NoButton) {
        QTreeWidget::mouseMoveEvent(event);
    } else {
        event->accept();
    }
}

void CareerListControl::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    viewport()->update();
}

void CareerListControl::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    viewport()->update();
}

void CareerListControl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const QPalette& colours = palette();
    QColor text = colours.color(QPalette::Active, QPalette::Text);
    QColor background = colours.color(QPalette::Active, QPalette::Base);
    if (selectionModel()->isSelected(index)) {
        if (hasFocus()) {
            text = colours.color(QPalette::Active, QPalette::HighlightedText);
            background = colours.color(QPalette::Active, QPalette::Highlight);
        } else {
            background = colours.color(QPalette::Active, QPalette::Button);
        }
    }
    // The whole row first, so the highlight runs across its full width.
    const QRect rowRect(0, option.rect.y(), viewport()->width(), option.rect.height());
    painter->fillRect(rowRect, background);
    painter->setPen(text);
    for (int column = 0; column < columnCount(); ++column) {
        if (isColumnHidden(column)) {
            continue;
        }
        const QRect cell(columnViewportPosition(column), option.rect.y(), columnWidth(column),
                         option.rect.height());
        const QString cellText = index.siblingAtColumn(column).data(Qt::DisplayRole).toString();
        if (cellText.isEmpty()) {
            continue;
        }
        painter->save();
        painter->setClipRect(cell);
        painter->setFont(option.font);
        painter->drawText(cell.adjusted(kTextMargin, 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, cellText);
        painter->restore();
    }
}

}  // namespace jf
