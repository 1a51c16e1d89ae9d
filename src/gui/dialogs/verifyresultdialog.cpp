#include "gui/dialogs/verifyresultdialog.h"

#include "gui/common/dialogservice.h"
#include "gui/common/text.h"
#include "platform/numbertext.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

namespace zt {

VerifyResultsModel::VerifyResultsModel(std::string stock, const std::vector<VerifyRow>* rows,
                                       QObject* parent)
    : QAbstractTableModel(parent), stock_(std::move(stock)), rows_(rows), order_(rows->size()) {
    std::iota(order_.begin(), order_.end(), size_t(0));
}

int VerifyResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(order_.size());
}

int VerifyResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant VerifyResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount) return {};
    const VerifyRow& r = rowAt(index.row());
    if (role == Qt::TextAlignmentRole && (index.column() == Size || index.column() == StoredSize))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    const bool now = r.kind != VerifyKind::Missing, before = r.kind != VerifyKind::New;
    switch (index.column()) {
    case Kind:
        return toQString(verifyKindText(r.kind));
    case Path:
        return toQString(verifyRowPath(stock_, r));
    case Size:
        return now ? toQString(groupThousands(r.size)) : QString();
    case StoredSize:
        return before ? toQString(groupThousands(r.storedSize)) : QString();
    case Modified:
        return now && !r.modified.isZero() ? toQString(captureDateText(r.modified)) : QString();
    case Reason:
        return toQString(verifyRowReason(r));
    }
    return {};
}

QVariant VerifyResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kCaptions[] = {"結果", "パス", "サイズ", "記録時のサイズ", "更新日時",
                                            "理由"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return QString::fromUtf8(kCaptions[section]);
}

void VerifyResultsModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<size_t> rowsBefore;
    for (const QModelIndex& i : before) rowsBefore.push_back(order_[size_t(i.row())]);
    const auto& rows = *rows_;
    const auto less = [&](size_t a, size_t b) {
        const VerifyRow &x = rows[a], &y = rows[b];
        switch (column) {
        case Kind:
            return x.kind < y.kind;
        case Path:
            return x.parts < y.parts;
        case Size:
            return x.size < y.size;
        case StoredSize:
            return x.storedSize < y.storedSize;
        case Modified:
            return x.modified < y.modified;
        default:
            return verifyRowReason(x) < verifyRowReason(y);
        }
    };
    std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
        return order == Qt::AscendingOrder ? less(a, b) : less(b, a);
    });
    // Selections and the current row follow their rows.
    std::vector<size_t> placeOf(order_.size());
    for (size_t i = 0; i < order_.size(); ++i) placeOf[order_[i]] = i;
    QModelIndexList after;
    for (size_t i = 0; i < size_t(before.size()); ++i)
        after.push_back(index(int(placeOf[rowsBefore[i]]), before[int(i)].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString VerifyResultDialog::summaryText(const VerifyReport& report) {
    QString text = toQString(verifySummary(report));
    if (const std::string why = checksumUseText(report.checksums); !why.empty())
        text += QLatin1Char('\n') + toQString(why);
    return text;
}

VerifyResultDialog::VerifyResultDialog(QWidget* owner, const std::string& stock,
                                       VerifyResult result)
    : QDialog(owner), result_(std::move(result)) {
    setObjectName(QStringLiteral("verifyResultDialog"));
    setWindowTitle(QStringLiteral("ストックの検証"));
    auto* summary = new QLabel(summaryText(result_.report), this);
    summary->setObjectName(QStringLiteral("summaryLabel"));
    summary->setTextFormat(Qt::PlainText);
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    model_ = new VerifyResultsModel(stock, &result_.report.rows, this);
    auto* view = new QTableView(this);
    view->setObjectName(QStringLiteral("verifyResultsView"));
    view->setAccessibleName(QStringLiteral("検証の結果"));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed); // never measured row by row
    view->setModel(model_);
    view->setSortingEnabled(true);
    view->sortByColumn(VerifyResultsModel::Kind, Qt::AscendingOrder);
    view->horizontalHeader()->setStretchLastSection(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save =
        buttons->addButton(QStringLiteral("結果をCSV形式で保存"), QDialogButtonBox::ActionRole);
    save->setObjectName(QStringLiteral("saveCsvButton"));
    save->setAutoDefault(false);
    save->setEnabled(!result_.report.rows.empty());
    connect(save, &QPushButton::clicked, this, &VerifyResultDialog::saveCsv);
    QPushButton* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(view, 1);
    layout->addWidget(buttons);
    const int em = fontMetrics().height();
    resize(em * 44, em * 26);
}

void VerifyResultDialog::saveCsv() {
    const auto file =
        dialogs().saveFileName(this, QStringLiteral("検証の結果をCSV形式で保存"), saveStartFolder(),
                               QStringLiteral("CSVファイル (*.csv)"), QStringLiteral("csv"));
    if (!file || file->isEmpty()) return;
    rememberSavedFile(*file);
    // A handful of differing files: written here, the file opened without
    // waiting (a pipe nobody reads fails at once rather than hanging).
    std::string why;
    const VerifyResultsModel* m = model_;
    if (!saveVerifyCsv(std::filesystem::path(QFile::encodeName(*file).toStdString()), m->stock(),
                       size_t(m->rowCount()), [m](size_t i) -> const VerifyRow& {
                           return m->rowAt(int(i));
                       },
                       &why))
        warn(this, StockResult{StockFailure::CannotCreate,
                               messageCannotCreate(QFile::encodeName(*file).toStdString()), why});
}

} // namespace zt
