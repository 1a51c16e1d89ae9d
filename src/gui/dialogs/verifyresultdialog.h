#pragma once
// "ストックの検証": what reading a stock's medium again found. A summary line
// on top (all read back, or the counts; how the content was checked), the
// files that differ below (changed content first), sortable by any column
// and savable as CSV.
#include "library/verifystock.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <string>
#include <vector>

class QLabel;

namespace zt {

class VerifyResultsModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Kind, Path, Size, StoredSize, Modified, Reason, ColumnCount };

    // rows is not owned and must outlive the model.
    VerifyResultsModel(std::string stock, const std::vector<VerifyRow>* rows,
                       QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The row shown at position i.
    [[nodiscard]] const VerifyRow& rowAt(int i) const { return (*rows_)[order_[size_t(i)]]; }
    [[nodiscard]] const std::string& stock() const { return stock_; }

  private:
    std::string stock_;
    const std::vector<VerifyRow>* rows_;
    std::vector<size_t> order_;
};

class VerifyResultDialog : public QDialog {
    Q_OBJECT

  public:
    VerifyResultDialog(QWidget* owner, const std::string& stock, VerifyResult result);

    // The summary line: "全 n ファイル正常" or the counts, and why content
    // was not compared, or that the medium stopped answering.
    [[nodiscard]] static QString summaryText(const VerifyReport& report);
    [[nodiscard]] VerifyResultsModel* results() const { return model_; }
    // Asks where, and writes the rows in the order shown.
    void saveCsv();

  private:
    VerifyResult result_;
    VerifyResultsModel* model_ = nullptr;
};

} // namespace zt
