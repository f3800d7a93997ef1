#pragma once
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class fCover;

// The About box: title, version, the latest update check's result and the
// vendor's links. Closing it sets off one more update check on the cover.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    QLabel *lsoftname, *lblVersion, *Label1, *Label10, *Label2, *Label7, *Label4;
    QFrame *Line2;
    QPushButton *cmdOK;

    // Shows the box modally (through the ModalDialog seam); when it has
    // closed, the cover's timer runs the update check again.
    static void showModal(QWidget *parent, fCover *cover);

    void 模拟网址下划线(QLabel *label);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};
