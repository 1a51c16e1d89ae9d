#include "gui/dialogs/duplicatesdialog.h"

#include "gui/common/dialogservice.h"
#include "gui/common/text.h"
#include "gui/common/workrunner.h"
#include "platform/numbertext.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>

namespace zt {

namespace {
constexpr quintptr kGroupRow = 0; // internal id of a group row; a file's is its group + 1
} // namespace

DuplicatesModel::DuplicatesModel(std::vector<DupeGroup> groups, QObject* parent)
    : QAbstractItemModel(parent), groups_(std::move(groups)) {}

const DupeFile* DuplicatesModel::fileAt(const QModelIndex& index) const {
    if (!index.isValid() || index.internalId() == kGroupRow) return nullptr;
    const DupeGroup& g = groups_[size_t(index.internalId() - 1)];
    return &g.files[size_t(index.row())];
}

QModelIndex DuplicatesModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent)) return {};
    return createIndex(row, column, parent.isValid() ? quintptr(parent.row()) + 1 : kGroupRow);
}

QModelIndex DuplicatesModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kGroupRow) return {};
    return createIndex(int(child.internalId() - 1), 0, kGroupRow);
}

int DuplicatesModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return int(groups_.size());
    if (parent.internalId() != kGroupRow || parent.column() != 0) return 0;
    return int(groups_[size_t(parent.row())].files.size());
}

int DuplicatesModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

QVariant DuplicatesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    if (const DupeFile* f = fileAt(index)) {
        // Made when shown: a deep stock's paths never sit in memory together.
        const ResultCells c = makeCells(dupeHit(*f));
        const std::string* cells[] = {&c.name, &c.path, &c.size, &c.created, &c.modified};
        return toQString(*cells[index.column()]);
    }
    const DupeGroup& g = groups_[size_t(index.row())];
    if (index.column() == Name)
        return QStringLiteral("%1（%2 件）")
            .arg(toQString(g.files.empty() ? std::string() : g.files.front().name))
            .arg(g.files.size());
    if (index.column() == Size) return toQString(formatSizeText(g.size));
    return {};
}

QVariant DuplicatesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kTitles[] = {"名前", "パス", "サイズ", "作成日時", "更新日時"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return QString::fromUtf8(kTitles[section]);
}

DuplicatesDialog::DuplicatesDialog(QWidget* owner, std::vector<DupeGroup> groups) : QDialog(owner) {
    setObjectName(QStringLiteral("duplicatesDialog"));
    runner_ = new WorkRunner(this);
    setWindowTitle(QStringLiteral("重複ファイル"));
    size_t files = 0;
    for (const DupeGroup& g : groups)
        files += g.files.size();
    auto* summary = new QLabel(
        groups.empty()
            ? QStringLiteral("同じ名前と大きさのファイルは見つかりませんでした")
            : QStringLiteral("%1 グループ、%2 ファイル（名前と大きさが同じもの）")
                  .arg(toQString(groupThousands(groups.size())), toQString(groupThousands(files))),
        this);
    summary->setObjectName(QStringLiteral("summaryLabel"));
    model_ = new DuplicatesModel(std::move(groups), this);
    view_ = new QTreeView(this);
    view_->setObjectName(QStringLiteral("duplicatesView"));
    view_->setAccessibleName(QStringLiteral("重複ファイル"));
    view_->setModel(model_);
    view_->setUniformRowHeights(true);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->header()->setStretchLastSection(false);
    view_->setColumnWidth(DuplicatesModel::Name, 200);
    view_->setColumnWidth(DuplicatesModel::Path, 260);
    view_->installEventFilter(this);
    if (model_->rowCount() <= 200) view_->expandAll(); // a long list opens group by group
    connect(view_, &QTreeView::doubleClicked, this, &DuplicatesDialog::jumpToCurrent);

    auto* buttons = new QDialogButtonBox(this);
    jump_ = buttons->addButton(QStringLiteral("ファイルへ移動"), QDialogButtonBox::ActionRole);
    jump_->setObjectName(QStringLiteral("jumpButton"));
    QPushButton* csv =
        buttons->addButton(QStringLiteral("CSV形式で保存..."), QDialogButtonBox::ActionRole);
    csv->setObjectName(QStringLiteral("saveCsvButton"));
    csv->setEnabled(model_->rowCount() > 0);
    QPushButton* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("closeButton"));
    for (QPushButton* b : {jump_, csv, close})
        b->setAutoDefault(false); // Enter in the list jumps; it never closes the dialog
    connect(jump_, &QPushButton::clicked, this, &DuplicatesDialog::jumpToCurrent);
    connect(csv, &QPushButton::clicked, this, &DuplicatesDialog::saveCsv);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const auto enableJump = [this] { jump_->setEnabled(model_->fileAt(view_->currentIndex())); };
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this, enableJump);
    enableJump();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(view_, 1);
    layout->addWidget(buttons);
    resize(720, 420);
}

void DuplicatesDialog::jumpToCurrent() {
    const DupeFile* f = model_->fileAt(view_->currentIndex());
    if (!f) return;
    jumpTo_ = dupeHit(*f);
    accept();
}

void DuplicatesDialog::saveCsv() {
    const auto file = dialogs().saveFileName(
        this, QStringLiteral("重複ファイルをCSV形式で保存"), saveStartFolder(),
        QStringLiteral("CSVファイル (*.csv)"), QStringLiteral("csv"));
    if (!file || file->isEmpty() || runner_->busy()) return;
    // On the worker, like the search's CSV: the file may be slow to take the
    // bytes (a pipe, a network folder). The groups stay as they are meanwhile.
    struct Saved {
        bool ok = false;
        std::string why;
    };
    auto saved = std::make_shared<Saved>();
    runner_->start(
        savingLook(),
        [saved, path = std::filesystem::path(file->toStdString()), groups = &model_->groups()](
            WorkControl&) { saved->ok = saveDupesCsv(path, *groups, &saved->why); },
        [this, saved, file = *file](const JobEnd& end) {
            if (end.threw()) {
                warn(this, end.failure);
            } else if (!saved->ok) {
                dialogs().messageBox(this, QStringLiteral("ERROR"),
                                     toQString(kMessageCannotOpenFile), MsgButtons::Ok,
                                     MsgIcon::Exclamation, toQString(saved->why));
            } else {
                rememberSavedFile(file);
            }
        });
}

bool DuplicatesDialog::saving() const {
    return runner_->busy();
}

bool DuplicatesDialog::eventFilter(QObject* watched, QEvent* e) {
    if (watched == view_ && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            model_->fileAt(view_->currentIndex())) {
            jumpToCurrent();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

} // namespace zt
