#pragma once
#include <QTableView>

class QMenu;
class ResultModel;

// The report-style result list: five columns, a tick box per row, several
// rows selectable, no in-place editing, the list menu on a right click. A
// table view without grid or row header: unlike a tree view it keeps no
// item per row, which a million rows notice.
class ResultListView : public QTableView {
    Q_OBJECT
public:
    explicit ResultListView(QWidget *parent = nullptr);

    ResultModel *resultModel() const { return m_model; }
    void setPopupMenu(QMenu *menu) { m_menu = menu; }
    QMenu *popupMenu() const { return m_menu; }

    // A header click sorts once by that column; one direction for the whole
    // list flips on every accepted click, starting from ascending.
    void headerClicked(int section);
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_order; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    ResultModel *m_model;
    QMenu *m_menu = nullptr;
    int m_sortColumn = 0;
    Qt::SortOrder m_order = Qt::AscendingOrder;
};
