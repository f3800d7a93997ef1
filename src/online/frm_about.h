#pragma once
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The About box: title, version, the latest update check's result and the
// vendor's links. Its caller sets off one more update check when it closes.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    QLabel *lsoftname, *lblVersion, *Label1, *Label10, *Label2, *Label7, *Label4;
    QFrame *Line2;
    QPushButton *cmdOK;

    // Shows the box modally (through the ModalDialog seam).
    static void showModal(QWidget *parent);

    void 模拟网址下划线(QLabel *label);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};
