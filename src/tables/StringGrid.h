#pragma once

#include "tables/TableFile.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

#include <array>

class StringGrid;

// The cell texts of a StringGrid, column by column.
class StringGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StringGridModel(StringGrid* grid);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const TableFile::Columns& columns() const { return m_columns; }
    void setColumnCount(int count);
    void setRowCount(int count);
    void setText(int col, int row, const QString& text);
    // Takes texts of the present size; repaints every cell.
    void replaceColumns(TableFile::Columns columns);

private:
    StringGrid* m_grid;
    TableFile::Columns m_columns;
    int m_rows = 0;
};

// Paints a cell the way the grid usually does, then lets the grid's drawCell
// signal paint over it.
class StringGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit StringGridDelegate(StringGrid* grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    // The cell editor while one is open.
    QLineEdit* editor() const { return m_editor; }

private:
    StringGrid* m_grid;
    mutable QPointer<QLineEdit> m_editor;
};

// A grid of text cells with fixed (header) rows and columns at the top and
// left, as tables are shown: data cells are edited in place with the editor
// always open on the current cell, header cells only through code; the grid
// lines inside the fixed row and column can be dragged to size columns and
// rows. Widths and heights are those of the cells without their grid line.
class StringGrid : public QTableView {
    Q_OBJECT
public:
    explicit StringGrid(QWidget* parent = nullptr);

    int colCount() const;
    int rowCount() const;
    // Counts are at least 1; a count that falls to the number of fixed
    // columns (rows) or below leaves one fewer fixed column (row) than cells.
    void setColCount(int count);
    void setRowCount(int count);
    int fixedCols() const { return m_fixedCols; }
    int fixedRows() const { return m_fixedRows; }
    void setFixedCols(int count);
    void setFixedRows(int count);
    bool isFixed(int col, int row) const { return col < m_fixedCols || row < m_fixedRows; }

    QString cell(int col, int row) const;
    void setCell(int col, int row, const QString& text);
    const TableFile::Columns& columns() const;
    // Replaces every text; columns must have the grid's counts. The view
    // gives an open cell editor the new text of its cell.
    void setColumns(TableFile::Columns columns);
    // The cell editor while one is open.
    QLineEdit* cellEditor() const { return m_delegate->editor(); }
    // Opens the editor on the current cell when it is a data cell: the
    // editor is always shown.
    void openEditor();

    int colWidth(int col) const;
    void setColWidth(int col, int width);
    int rowHeight(int row) const;
    void setRowHeight(int row, int height);

    // The cell under a point of the viewport, as (column, row); (-1, -1) when
    // the point hits no cell.
    QPoint mouseToCell(const QPoint& pos) const;
    // The cell's rectangle in the viewport, without its grid lines.
    QRect cellRect(int col, int row) const;

    // Colours of the usual drawing.
    QColor color() const { return palette().color(QPalette::Base); }
    QColor fixedColor() const { return palette().color(QPalette::Button); }
    QColor fontColor() const { return m_fontColor; }

    // The width of a text in the grid's font, as the Windows version measured
    // it: the sum of its characters' advances, without kerning. Texts that
    // need shaping (combining marks, other scripts) are measured whole.
    int textWidth(const QString& text) const;

    // Draws a cell's text clipped to rect, its top-left corner 2 pixels
    // inside the rectangle's.
    static void drawCellText(QPainter* painter, const QRect& rect, const QString& text);

signals:
    // A press of any mouse button on the grid, after the grid has handled it.
    void mouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, const QPoint& pos);
    // After the usual drawing of each cell.
    void drawCell(QPainter* painter, int col, int row, const QRect& rect, bool selected);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    friend class StringGridDelegate;
    enum class Sizing { None, Column, Row };
    // The column (row) whose right (bottom) grid line is under pos, inside
    // the fixed row (column); -1 when there is none.
    int sizingColumnAt(const QPoint& pos) const;
    int sizingRowAt(const QPoint& pos) const;
    void applyFixedRules();

    StringGridModel* m_model;
    StringGridDelegate* m_delegate;
    int m_fixedCols = 1;
    int m_fixedRows = 1;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    int m_lineWidth = 1;
    QColor m_fontColor = Qt::black;
    // Advances of single characters in the grid's font; 0 while unknown.
    mutable QHash<char16_t, int> m_advances;
    mutable std::array<int, 0x300> m_latinAdvances{};
    Sizing m_sizing = Sizing::None;
    int m_sizingIndex = -1;
    int m_sizingStart = 0;
};
