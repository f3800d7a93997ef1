#include "list/result_list_view.h"

#include "list/result_model.h"

#include "app/engine/app_state.h"
#include "shell/dialogs.h"

#include <QHeaderView>
#include <QMenu>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

ResultListView::ResultListView(QWidget *parent) : QTableView(parent), m_model(new ResultModel(this))
{
    setObjectName(QStringLiteral("ListView1"));
    setModel(m_model);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    // One height for every row, so no row is ever measured.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(qMax(fontMetrics().height() + 4, 20));
    horizontalHeader()->setHighlightSections(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    setSortingEnabled(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Designed widths in twips: 1440 for the first four, 5000 for the folder.
    for (int c = 0; c < 4; ++c)
        horizontalHeader()->resizeSection(c, 96);
    horizontalHeader()->resizeSection(4, 333);
    setAccessibleName(QStringLiteral("搜索结果列表"));
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &ResultListView::headerClicked);
}

void ResultListView::headerClicked(int section)
{
    if (appState().IsWorking) {
        MessageBox::information(this, QStringLiteral("停止工作后方可排序！"));
        return;
    }
    m_sortColumn = section;
    m_order = m_order == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder;
    m_model->sortRows(m_sortColumn, m_order);
}

void ResultListView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        // As in native lists, the menu acts on the row under the mouse: an
        // unselected row becomes the only selected one, a selected row keeps
        // the selection it is part of.
        const QModelIndex at = indexAt(event->position().toPoint());
        if (at.isValid() && selectionModel()) {
            const bool selected = selectionModel()->isRowSelected(at.row(), at.parent());
            selectionModel()->setCurrentIndex(at, selected ? QItemSelectionModel::NoUpdate
                                                           : QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        if (m_menu)
            m_menu->popup(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void ResultListView::keyPressEvent(QKeyEvent *event)
{
    // Space ticks the current row from any column, not only from the tick
    // box's own; with a modifier it keeps the view's selection meaning.
    const int row = currentIndex().row();
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && row >= 0) {
        m_model->setChecked(row, !m_model->row(row).checked);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ResultListView::contextMenuEvent(QContextMenuEvent *event)
{
    // The menu key opens the list menu too, at the current row.
    if (event->reason() != QContextMenuEvent::Mouse && m_menu) {
        const QRect r = visualRect(currentIndex());
        const QPoint at = r.isValid() ? r.bottomLeft() : QPoint(0, 0);
        m_menu->popup(viewport()->mapToGlobal(at));
    }
    event->accept();
}
