#pragma once
// The small "処理中" window shown while the main window is disabled during long
// work: reading a source, opening a stock, filling a large folder.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace zt {

class ProgressDialog : public QDialog {
    Q_OBJECT

  public:
    // owner: the window whose work it shows (it is the owner's child window).
    explicit ProgressDialog(QWidget* owner);

    // What the dialog shows: the message, the bar (with its maximum), the
    // path being read and the Cancel button.
    void setMessage(const QString& text);
    void setBarShown(bool shown);
    void setMaximum(int maximum);
    void setValue(int value); // kept within 0..maximum
    void setPathShown(bool shown);
    // A path wider than its line loses its middle, so the start and the
    // entry being read both stay in view.
    void setPath(const QString& path);
    void setCancelShown(bool shown);

    [[nodiscard]] QString message() const;
    [[nodiscard]] int value() const;
    [[nodiscard]] int maximum() const;

  signals:
    // Cancel was clicked; the dialog does not close itself.
    void cancelRequested();

  protected:
    void closeEvent(QCloseEvent* e) override;  // no title-bar close while work runs
    void keyPressEvent(QKeyEvent* e) override; // Escape does not close it either

  private:
    QLabel* message_ = nullptr;
    QLabel* path_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace zt
