#pragma once
// "ストックの更新": what reading a stock's source again changed, before the
// stock is replaced. The counts on top, every change below (+ added, - removed,
// ~ changed, and its path \stock\folder\name) in a list that shows only the
// rows in view, so a hundred thousand changes scroll as easily as ten.
#include "library/stockdiff.h"

#include <QAbstractListModel>
#include <QDialog>
#include <string>

namespace zt {

class StockChangesModel : public QAbstractListModel {
    Q_OBJECT

  public:
    // diff is not owned and must outlive the model.
    StockChangesModel(std::string stock, const StockDiff* diff, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

    // "+ \stock\a\b" and so on.
    [[nodiscard]] static QString rowText(std::string_view stock, const StockChange& change);

  private:
    std::string stock_;
    const StockDiff* diff_;
};

class UpdateStockDialog : public QDialog {
    Q_OBJECT

  public:
    // diff is not owned and must outlive the dialog.
    UpdateStockDialog(QWidget* owner, const std::string& stock, const StockDiff& diff);

    // "追加 n 件、削除 n 件、変更 n 件"
    [[nodiscard]] static QString countsText(const StockDiff& diff);
    [[nodiscard]] const StockChangesModel* changes() const { return model_; }

  private:
    StockChangesModel* model_ = nullptr;
};

} // namespace zt
