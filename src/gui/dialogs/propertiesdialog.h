#pragma once
// "プロパティ": name, dates and size of one file or folder of the open stock.
#include "browser/properties.h"

#include <QDialog>

class QLabel;

namespace zt {

class PropertiesDialog : public QDialog {
    Q_OBJECT

  public:
    explicit PropertiesDialog(QWidget* owner);

    // Fills the value labels from a record.
    void showRecord(const PropertyRecord& record);

  private:
    QLabel* name_ = nullptr; // centred over the dialog
    QLabel* sizeCaption_ = nullptr;
    QLabel* created_ = nullptr;
    QLabel* modified_ = nullptr;
    QLabel* accessed_ = nullptr;
    QLabel* size_ = nullptr;
};

} // namespace zt
