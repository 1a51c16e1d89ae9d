#pragma once
// "プロパティ": name, dates and size of one file or folder of the open stock.
#include "browser/properties.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace zt {

class TPropertyDlg : public QDialog {
    Q_OBJECT

  public:
    explicit TPropertyDlg(QWidget* owner);

    // Fills the value labels from a record.
    void Show(const PropertyRecord& record);

    QLabel* Label1 = nullptr;       // "作成日時："
    QLabel* Label2 = nullptr;       // the name, centred
    QLabel* Label3 = nullptr;       // "更新日時："
    QLabel* Label4 = nullptr;       // "アクセス日："
    QLabel* Label5 = nullptr;       // "ファイルサイズ："
    QLabel* Label6 = nullptr;       // creation date
    QLabel* Label7 = nullptr;       // last write date
    QLabel* Label8 = nullptr;       // last access date
    QLabel* Label9 = nullptr;       // size
    QPushButton* Button1 = nullptr; // "OK"
};

} // namespace zt
