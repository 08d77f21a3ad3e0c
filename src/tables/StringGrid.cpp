#include "tables/StringGrid.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

// ---- StringGridModel ----

StringGridModel::StringGridModel(StringGrid* grid) : QAbstractTableModel(grid), m_grid(grid) {}

int StringGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int StringGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_columns.at(index.column()).at(index.row());
}

bool StringGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    setText(index.column(), index.row(), value.toString());
    return true;
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const
{
    // Header cells are neither selected nor edited, and Tab passes them by.
    if (!index.isValid() || m_grid->isFixed(index.column(), index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void StringGridModel::setColumnCount(int count)
{
    const int old = int(m_columns.size());
    if (count > old) {
        beginInsertColumns({}, old, count - 1);
        const QStringList column(m_rows);
        for (int c = old; c < count; ++c)
            m_columns.append(column);
        endInsertColumns();
    } else if (count < old) {
        beginRemoveColumns({}, count, old - 1);
        m_columns.resize(count);
        endRemoveColumns();
    }
}

void StringGridModel::setRowCount(int count)
{
    const int old = m_rows;
    if (count > old) {
        beginInsertRows({}, old, count - 1);
        for (QStringList& column : m_columns)
            column.resize(count);
        m_rows = count;
        endInsertRows();
    } else if (count < old) {
        beginRemoveRows({}, count, old - 1);
        for (QStringList& column : m_columns)
            column.resize(count);
        m_rows = count;
        endRemoveRows();
    }
}

void StringGridModel::setText(int col, int row, const QString& text)
{
    QString& cell = m_columns[col][row];
    if (cell == text && cell.isNull() == text.isNull())
        return;
    cell = text;
    const QModelIndex at = index(row, col);
    emit dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole});
}

void StringGridModel::replaceColumns(TableFile::Columns columns)
{
    m_columns = std::move(columns);
    if (m_rows > 0 && !m_columns.isEmpty())
        emit dataChanged(index(0, 0), index(m_rows - 1, int(m_columns.size()) - 1),
                         {Qt::DisplayRole, Qt::EditRole});
}

// ---- StringGridDelegate ----

StringGridDelegate::StringGridDelegate(StringGrid* grid) : QStyledItemDelegate(grid), m_grid(grid)
{
}

void StringGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    const int col = index.column();
    const int row = index.row();
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    QColor fill = m_grid->color();
    QColor text = m_grid->fontColor();
    if (m_grid->isFixed(col, row)) {
        fill = m_grid->fixedColor();
    } else if (selected) {
        fill = m_grid->palette().color(QPalette::Highlight);
        text = m_grid->palette().color(QPalette::HighlightedText);
    }
    painter->fillRect(option.rect, fill);
    painter->setPen(text);
    painter->setFont(m_grid->font());
    StringGrid::drawCellText(painter, option.rect, m_grid->cell(col, row));
    emit m_grid->drawCell(painter, col, row, option.rect, selected);
}

QWidget* StringGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex&) const
{
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    edit->setFont(m_grid->font());
    // The cell takes every change at once, as the text is typed.
    auto* self = const_cast<StringGridDelegate*>(this);
    connect(edit, &QLineEdit::textEdited, self, [self, edit] { emit self->commitData(edit); });
    m_editor = edit;
    return edit;
}

void StringGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    // Setting the same text again would move the cursor to the end while typing.
    auto* edit = static_cast<QLineEdit*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (edit->text() != text)
        edit->setText(text);
}

void StringGridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex&) const
{
    editor->setGeometry(option.rect);
}

// ---- StringGrid ----

StringGrid::StringGrid(QWidget* parent)
    : QTableView(parent), m_model(new StringGridModel(this)),
      m_delegate(new StringGridDelegate(this))
{
    setModel(m_model);
    setItemDelegate(m_delegate);
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        header->hide();
        header->setMinimumSectionSize(0);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    horizontalHeader()->setDefaultSectionSize(m_defaultColWidth + m_lineWidth);
    verticalHeader()->setDefaultSectionSize(m_defaultRowHeight + m_lineWidth);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setTabKeyNavigation(true);
    viewport()->setMouseTracking(true);
    m_model->setColumnCount(5);
    m_model->setRowCount(5);
}

int StringGrid::colCount() const
{
    return m_model->columnCount();
}

int StringGrid::rowCount() const
{
    return m_model->rowCount();
}

void StringGrid::setColCount(int count)
{
    m_model->setColumnCount(std::max(count, 1));
    applyFixedRules();
}

void StringGrid::setRowCount(int count)
{
    m_model->setRowCount(std::max(count, 1));
    applyFixedRules();
}

void StringGrid::setFixedCols(int count)
{
    m_fixedCols = std::clamp(count, 0, colCount() - 1);
    viewport()->update();
}

void StringGrid::setFixedRows(int count)
{
    m_fixedRows = std::clamp(count, 0, rowCount() - 1);
    viewport()->update();
}

void StringGrid::applyFixedRules()
{
    if (colCount() <= m_fixedCols)
        m_fixedCols = colCount() - 1;
    if (rowCount() <= m_fixedRows)
        m_fixedRows = rowCount() - 1;
    viewport()->update();
}

QString StringGrid::cell(int col, int row) const
{
    if (col < 0 || row < 0 || col >= colCount() || row >= rowCount())
        return {};
    return m_model->columns().at(col).at(row);
}

void StringGrid::setCell(int col, int row, const QString& text)
{
    if (col < 0 || row < 0 || col >= colCount() || row >= rowCount())
        return;
    m_model->setText(col, row, text);
}

const TableFile::Columns& StringGrid::columns() const
{
    return m_model->columns();
}

void StringGrid::setColumns(TableFile::Columns columns)
{
    Q_ASSERT(columns.size() == colCount());
    Q_ASSERT(columns.isEmpty() || columns.first().size() == rowCount());
    m_model->replaceColumns(std::move(columns));
}

int StringGrid::colWidth(int col) const
{
    return horizontalHeader()->sectionSize(col) - m_lineWidth;
}

void StringGrid::setColWidth(int col, int width)
{
    if (col >= 0 && col < colCount())
        horizontalHeader()->resizeSection(col, std::max(width, 0) + m_lineWidth);
}

int StringGrid::rowHeight(int row) const
{
    return verticalHeader()->sectionSize(row) - m_lineWidth;
}

void StringGrid::setRowHeight(int row, int height)
{
    if (row >= 0 && row < rowCount())
        verticalHeader()->resizeSection(row, std::max(height, 0) + m_lineWidth);
}

QPoint StringGrid::mouseToCell(const QPoint& pos) const
{
    const QModelIndex at = indexAt(pos);
    return at.isValid() ? QPoint(at.column(), at.row()) : QPoint(-1, -1);
}

QRect StringGrid::cellRect(int col, int row) const
{
    return visualRect(m_model->index(row, col));
}

int StringGrid::textWidth(const QString& text) const
{
    int width = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x300) {
            int& advance = m_latinAdvances[c];
            if (advance == 0)
                advance = fontMetrics().horizontalAdvance(ch) + 1; // + 1: 0 means unknown
            width += advance - 1;
            continue;
        }
        // Dashes, quotes, currency and letter-like signs (the rest of
        // Windows-1252) need no shaping either.
        if ((c >= 0x2010 && c < 0x2028) || (c >= 0x2030 && c < 0x205F) ||
            (c >= 0x20A0 && c < 0x20C0) || (c >= 0x2100 && c < 0x2150)) {
            auto it = m_advances.find(c);
            if (it == m_advances.end())
                it = m_advances.insert(c, fontMetrics().horizontalAdvance(ch));
            width += *it;
            continue;
        }
        return fontMetrics().horizontalAdvance(text);
    }
    return width;
}

void StringGrid::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        m_latinAdvances.fill(0);
        m_advances.clear();
    }
    QTableView::changeEvent(event);
}

void StringGrid::drawCellText(QPainter* painter, const QRect& rect, const QString& text)
{
    if (text.isEmpty())
        return;
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    painter->drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      text);
    painter->restore();
}

int StringGrid::sizingColumnAt(const QPoint& pos) const
{
    const int row = rowAt(pos.y());
    if (row < 0 || row >= m_fixedRows)
        return -1;
    int col = columnAt(pos.x());
    if (col < 0)
        col = colCount(); // right of the last column: its line is still in reach
    for (int k : {col - 1, col}) {
        if (k < 0 || k >= colCount())
            continue;
        const int line = columnViewportPosition(k) + horizontalHeader()->sectionSize(k) - 1;
        if (std::abs(pos.x() - line) <= 2)
            return k;
    }
    return -1;
}

int StringGrid::sizingRowAt(const QPoint& pos) const
{
    const int col = columnAt(pos.x());
    if (col < 0 || col >= m_fixedCols)
        return -1;
    int row = rowAt(pos.y());
    if (row < 0)
        row = rowCount();
    for (int k : {row - 1, row}) {
        if (k < 0 || k >= rowCount())
            continue;
        const int line = rowViewportPosition(k) + verticalHeader()->sectionSize(k) - 1;
        if (std::abs(pos.y() - line) <= 2)
            return k;
    }
    return -1;
}

void StringGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        if (const int col = sizingColumnAt(pos); col >= 0) {
            m_sizing = Sizing::Column;
            m_sizingIndex = col;
            m_sizingStart = columnViewportPosition(col);
        } else if (const int row = sizingRowAt(pos); row >= 0) {
            m_sizing = Sizing::Row;
            m_sizingIndex = row;
            m_sizingStart = rowViewportPosition(row);
        } else {
            // Presses on header cells or beside the cells leave current cell
            // and selection as they are.
            const QPoint cell = mouseToCell(pos);
            if (cell.x() >= 0 && !isFixed(cell.x(), cell.y())) {
                QTableView::mousePressEvent(event);
                openEditor();
            }
        }
    }
    event->accept();
    emit mouseDown(event->button(), event->buttons(), pos);
}

void StringGrid::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    switch (m_sizing) {
    case Sizing::Column:
        setColWidth(m_sizingIndex, pos.x() - m_sizingStart);
        return;
    case Sizing::Row:
        setRowHeight(m_sizingIndex, pos.y() - m_sizingStart);
        return;
    case Sizing::None:
        break;
    }
    if (event->buttons() == Qt::NoButton) {
        if (sizingColumnAt(pos) >= 0)
            viewport()->setCursor(Qt::SplitHCursor);
        else if (sizingRowAt(pos) >= 0)
            viewport()->setCursor(Qt::SplitVCursor);
        else
            viewport()->unsetCursor();
    }
    QTableView::mouseMoveEvent(event);
}

void StringGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_sizing != Sizing::None) {
        m_sizing = Sizing::None;
        m_sizingIndex = -1;
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void StringGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    openEditor();
}

void StringGrid::openEditor()
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && (current.flags() & Qt::ItemIsEditable) && state() != EditingState)
        edit(current);
}
