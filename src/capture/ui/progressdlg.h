#pragma once
// The small "処理中" window shown while the main window is disabled during long
// work: reading a source, opening a stock, filling a large folder.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace zt {

class TProgressDialog : public QDialog {
    Q_OBJECT

  public:
    // owner: the main window; the dialog is its child and is destroyed by the caller.
    explicit TProgressDialog(QWidget* owner);

    QLabel* Label1 = nullptr;             // main message; callers may replace it
    QLabel* Label2 = nullptr;             // hidden; the path being read
    QProgressBar* ProgressBar1 = nullptr; // range 0..100 until a caller sets the maximum
    QPushButton* Button1 = nullptr;       // "Cancel"

    void StepIt();          // advance by the bar's step (1)
    void StepBy(int delta); // advance by delta

  signals:
    // Cancel was clicked. Connected to the owner's CancelNotification; the
    // dialog does not close itself.
    void cancelRequested();

  protected:
    void closeEvent(QCloseEvent* e) override;  // no title-bar close while work runs
    void keyPressEvent(QKeyEvent* e) override; // Escape does not close it either
};

} // namespace zt
