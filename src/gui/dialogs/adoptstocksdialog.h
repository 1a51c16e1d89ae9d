#pragma once
// "一覧にないストックを追加": the stock files in Data that the list does not
// name, each with a check box; the checked ones are to be added to the list.
#include <QDialog>
#include <string>
#include <vector>

class QListWidget;

namespace zt {

class AdoptStocksDialog : public QDialog {
    Q_OBJECT

  public:
    AdoptStocksDialog(QWidget* parent, const std::vector<std::string>& names);

    // The names checked, in the order shown.
    [[nodiscard]] std::vector<std::string> checkedNames() const;

  private:
    QListWidget* list_ = nullptr;
};

} // namespace zt
