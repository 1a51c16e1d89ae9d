#pragma once
// The options dialog "設定": which drive types the source list shows, and two
// display options. It only edits its check boxes; the main window copies them
// to and from its settings.
#include <QDialog>

class QCheckBox;
class QPushButton;
class QTabWidget;

namespace zt {

struct Settings;

class TOptionDlg : public QDialog {
    Q_OBJECT

  public:
    explicit TOptionDlg(QWidget* parent = nullptr);

    // The five check boxes from settings, and back (the other settings are untouched).
    void setFrom(const Settings& s);
    void copyTo(Settings& s) const;

    QTabWidget* PageControl1 = nullptr; // "ドライブ", "表示"
    QCheckBox* CB_CDDrive = nullptr;
    QCheckBox* CB_HardDisk = nullptr;
    QCheckBox* CB_Removable = nullptr;
    QCheckBox* CB_ShowingPath = nullptr;
    QCheckBox* CB_Icon = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

  protected:
    void showEvent(QShowEvent* e) override;
};

} // namespace zt
