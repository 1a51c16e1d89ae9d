#include "search/ui/searchdlg.h"

#include "browser/ui/iconcache.h"
#include "browser/ui/tform1.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/pump.h"
#include "search/csv.h"
#include "search/ui/resultsmodel.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace zt {

namespace {

constexpr int kListLeft = 8;
constexpr qint64 kStatusIntervalMs = 50;

QGroupBox* radioGroup(QWidget* parent, const QString& title, const QStringList& items,
                      QButtonGroup*& buttons) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(0);
    buttons = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box);
        buttons->addButton(b, i);
        layout->addWidget(b);
    }
    buttons->button(0)->setChecked(true);
    return box;
}

} // namespace

// Marks a handler of the dialog as running; the last one to end carries out
// a release that was asked for meanwhile.
class TSearchDlg::Busy {
  public:
    explicit Busy(TSearchDlg& d) : d_(&d) { ++d.busy_; }
    ~Busy() {
        if (!d_ || --d_->busy_ > 0 || !d_->releasePending_) return;
        if (!d_->deleteEventHeld_) {
            d_->deleteLater();
            return;
        }
        // Qt posts one deferred delete per object at most, and that one was
        // held back: delete it from a queued call instead.
        QMetaObject::invokeMethod(
            qApp, [dlg = d_] { delete dlg.data(); }, Qt::QueuedConnection);
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

  private:
    QPointer<TSearchDlg> d_; // null once the dialog was deleted outright (its owner going)
};

QPoint PlaceBeside(const QRect& owner, const QSize& size, const QRect& screen) {
    const auto onScreen = [&](QPoint p) {
        p.setX(std::max(screen.left(), std::min(p.x(), screen.right() + 1 - size.width())));
        p.setY(std::max(screen.top(), std::min(p.y(), screen.bottom() + 1 - size.height())));
        return p;
    };
    const QPoint candidates[] = {
        {owner.right() + 1, owner.top()},            // right
        {owner.left() - size.width(), owner.top()},  // left
        {owner.left(), owner.bottom() + 1},          // below
        {owner.left(), owner.top() - size.height()}, // above
    };
    QPoint best;
    qint64 bestCover = -1;
    for (const QPoint& wanted : candidates) {
        const QPoint p = onScreen(wanted);
        const QRect covered = QRect(p, size).intersected(owner);
        const qint64 cover = covered.isEmpty() ? 0 : qint64(covered.width()) * covered.height();
        if (bestCover < 0 || cover < bestCover) {
            best = p;
            bestCover = cover;
        }
        if (cover == 0) break; // the first place that covers nothing wins
    }
    return best;
}

TSearchDlg::TSearchDlg(TForm1* owner) : QDialog(owner), form_(owner) {
    setWindowTitle(QStringLiteral("検索"));
    setModal(false);
    setSizeGripEnabled(true);
    buildControls();
    // The design size, wider when the font needs it; never so small that a
    // caption of the controls above the list would be cut.
    const QSize top = top_->minimumSizeHint();
    setMinimumSize(top.width(), top.height() + 4 + 4 * ListView1->fontMetrics().height() + 20);
    resize(std::max(506, top_->sizeHint().width()), 441);
    RefreshStockList();
}

TSearchDlg::~TSearchDlg() = default;

void TSearchDlg::buildControls() {
    top_ = new QWidget(this);
    auto* grid = new QGridLayout(top_);
    grid->setContentsMargins(kListLeft, 8, kListLeft, 4);

    Label3 = new QLabel(QStringLiteral("検索ストック"), top_);
    ListBox1 = new QListWidget(top_);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setMaximumWidth(150);
    // The list takes the height of the controls beside it rather than asking
    // for its own, so the result list below gets the room.
    ListBox1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    ListBox1->setMinimumHeight(3 * ListBox1->fontMetrics().height() + 6);
    CB_AllStock = new QCheckBox(QStringLiteral("全ストック検索"), top_);
    auto* stockColumn = new QVBoxLayout;
    stockColumn->addWidget(Label3);
    stockColumn->addWidget(ListBox1, 1);
    stockColumn->addWidget(CB_AllStock);
    grid->addLayout(stockColumn, 0, 0, 3, 1);

    Label1 = new QLabel(QStringLiteral("検索文字列"), top_);
    Edit1 = new QLineEdit(top_);
    Button1 = new QPushButton(QStringLiteral("検索開始"), top_);
    Button1->setDefault(true);
    Button1->setAutoDefault(true);
    Button2 = new QPushButton(QStringLiteral("中断"), top_);
    Button2->setEnabled(false);
    Button2->setAutoDefault(false);
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(Label1);
    textRow->addWidget(Edit1, 1);
    textRow->addWidget(Button1);
    textRow->addWidget(Button2);
    grid->addLayout(textRow, 0, 1, 1, 3);

    RG_TargetKind = radioGroup(top_, QStringLiteral("検索対象"),
                               {QStringLiteral("ファイル・フォルダ"), QStringLiteral("ファイル"),
                                QStringLiteral("フォルダ")},
                               targetButtons);
    RG_SearchKind = radioGroup(top_, QStringLiteral("検索方法"),
                               {QStringLiteral("デフォルト"), QStringLiteral("完全一致"),
                                QStringLiteral("前方一致"), QStringLiteral("後方一致")},
                               methodButtons);
    for (QGroupBox* box : {RG_TargetKind, RG_SearchKind})
        box->setMinimumWidth(box->sizeHint().width());
    grid->addWidget(RG_TargetKind, 1, 1, 2, 1, Qt::AlignTop);
    grid->addWidget(RG_SearchKind, 1, 2, 2, 1, Qt::AlignTop);

    CB_DoingState = new QCheckBox(QStringLiteral("検索状況の表示"), top_);
    CB_DoingState->setChecked(true);
    CB_SLWord = new QCheckBox(QStringLiteral("大/小文字の区別"), top_);
    Button3 = new QPushButton(QStringLiteral("結果をCSV形式で保存"), top_);
    Button3->setAutoDefault(false);
    auto* optionColumn = new QVBoxLayout;
    optionColumn->addWidget(CB_DoingState);
    optionColumn->addWidget(CB_SLWord);
    optionColumn->addStretch(1);
    optionColumn->addWidget(Button3);
    grid->addLayout(optionColumn, 1, 3, 2, 1);
    grid->setColumnStretch(3, 1);

    model_ = new ResultsModel(form_ ? form_->iconCache : nullptr, this);
    ListView1 = new QTableView(this);
    ListView1->setModel(model_);
    ListView1->setShowGrid(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setWordWrap(false);
    ListView1->setIconSize(QSize(16, 16));
    ListView1->verticalHeader()->hide();
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 4);
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->horizontalHeader()->setSectionsClickable(true);
    ListView1->horizontalHeader()->setHighlightSections(false);
    // Name and path as designed; size and dates wide enough for their usual
    // texts ("1,234,567KB", "2001/12/25 23:59:59") and their titles.
    const QFontMetrics fm = ListView1->fontMetrics();
    const int pad = 2 * fm.horizontalAdvance(QLatin1Char('M'));
    const int sizeWidth = fm.horizontalAdvance(QStringLiteral("1,234,567KB")) + pad;
    const int dateWidth = fm.horizontalAdvance(QStringLiteral("2001/12/25 23:59:59")) + pad;
    const int widths[] = {150, 200, std::max(80, sizeWidth), std::max(80, dateWidth),
                          std::max(80, dateWidth)};
    for (int c = 0; c < ResultsModel::ColumnCount; ++c) {
        const QString title = model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        ListView1->setColumnWidth(c, std::max(widths[c], fm.horizontalAdvance(title) + pad));
    }

    DoingStateLabel = new QLabel(QString(), this);
    DoingStateLabel->hide();

    connect(Button1, &QPushButton::clicked, this, &TSearchDlg::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TSearchDlg::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TSearchDlg::Button3Click);
    connect(CB_AllStock, &QCheckBox::clicked, this, &TSearchDlg::CB_AllStockClick);
    connect(ListView1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TSearchDlg::ListView1ColumnClick);
    connect(ListView1, &QTableView::doubleClicked, this, &TSearchDlg::ListView1DblClick);
}

void TSearchDlg::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    layoutResults();
}

void TSearchDlg::layoutResults() {
    const int w = width(), h = height();
    const int topHeight = top_->sizeHint().height();
    top_->setGeometry(0, 0, w, topHeight);
    const int listTop = topHeight + 4;
    const int listWidth = std::max(0, w - 2 * kListLeft);
    const int listHeight = std::max(0, h - listTop - 20);
    ListView1->setGeometry(kListLeft, listTop, listWidth, listHeight);
    DoingStateLabel->setGeometry(kListLeft, listTop + listHeight + 2, listWidth, 18);
}

void TSearchDlg::RefreshStockList() {
    ListBox1->setUpdatesEnabled(false);
    ListBox1->clear();
    if (form_ && form_->StockDataList) {
        for (const std::string& n : form_->stockNames())
            ListBox1->addItem(QString::fromStdString(n));
        const int row = form_->StockDataList->currentRow();
        if (row >= 0 && row < ListBox1->count() && form_->StockDataList->item(row)->isSelected())
            ListBox1->item(row)->setSelected(true);
    }
    ListBox1->setUpdatesEnabled(true);
}

void TSearchDlg::CB_AllStockClick() {
    const bool each = !CB_AllStock->isChecked();
    Label3->setEnabled(each);
    ListBox1->setEnabled(each);
}

void TSearchDlg::setSearchControlsEnabled(bool enabled) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{Edit1, Button1, Button3, RG_TargetKind, CB_DoingState,
                                         CB_SLWord, RG_SearchKind, CB_AllStock})
        w->setEnabled(enabled);
    Button2->setEnabled(!enabled);
}

int TSearchDlg::imageFor(const SearchHit& hit) const {
    if (hit.isFolder) return IconCache::ClosedFolder;
    return form_ && form_->iconCache ? form_->iconCache->imageIndexOf(hit.name)
                                     : int(IconCache::GenericFile);
}

void TSearchDlg::Button1Click() {
    if (searching_) return;
    const Busy busy(*this);
    if (ListBox1->selectedItems().isEmpty() && !CB_AllStock->isChecked()) {
        warn(this, QStringLiteral("検索対象のストックデータが選ばれていません"));
        return;
    }
    if (Edit1->text().isEmpty()) {
        warn(this, QStringLiteral("検索文字列が空欄です"));
        return;
    }

    ListView1->setUpdatesEnabled(false);
    model_->clear();
    ListView1->setUpdatesEnabled(true);
    stopFlag_ = false;
    setSearchControlsEnabled(false);
    const bool showStatus = CB_DoingState->isChecked();
    DoingStateLabel->setText(QString());
    if (showStatus) DoingStateLabel->show();
    searching_ = true; // the close command is refused from here on

    // The stocks and their selection as they are now: the main window may
    // refill ListBox1 while the search runs.
    SearchRequest request;
    request.dataDir = form_ ? form_->dataDir() : std::filesystem::path();
    for (int i = 0; i < ListBox1->count(); ++i)
        if (CB_AllStock->isChecked() || ListBox1->item(i)->isSelected())
            request.stocks.push_back(ListBox1->item(i)->text().toStdString());
    request.text = Edit1->text().toStdString();
    request.mode = MatchMode(methodButtons->checkedId());
    request.target = SearchTarget(targetButtons->checkedId());
    request.caseSensitive = CB_SLWord->isChecked();

    // Pending events run inside the search; the dialog may be destroyed there
    // (the main window closing), after which nothing of it is touched.
    const QPointer<TSearchDlg> self(this);
    SearchCallbacks cb;
    bool firstPump = true;
    cb.pump = [this, self, &firstPump] {
        // The status line changes at most every few ms: a label update per
        // folder would cost more than the search itself.
        if (self && statusDirty_ && (firstPump || statusTimer_.elapsed() >= kStatusIntervalMs)) {
            DoingStateLabel->setText(QString::fromStdString(statusText_));
            statusDirty_ = false;
            statusTimer_.restart();
        }
        if (firstPump) { // show the disabled controls before the work starts
            firstPump = false;
            LetPendingMessagesRunNow();
        } else {
            LetPendingMessagesRun();
        }
        return !self || stopFlag_;
    };
    if (showStatus) {
        statusTimer_.start();
        cb.status = [this, self](std::string_view text) {
            if (!self) return;
            statusText_.assign(text);
            statusDirty_ = true;
        };
    }
    cb.hit = [this, self](const SearchHit& hit) {
        if (self) model_->add(hit, imageFor(hit));
    };
    cb.limitExceeded = [this, self](std::string_view message) {
        if (self) warn(this, QString::fromUtf8(message.data(), qsizetype(message.size())));
    };
    const SearchOutcome outcome = searchStocks(request, cb);
    if (!self) return;

    searching_ = false;
    DoingStateLabel->hide();
    setSearchControlsEnabled(true);
    if (!outcome.skippedStocks.empty()) {
        // Stocks whose file could not be read are named in the status line.
        QString names;
        for (const std::string& s : outcome.skippedStocks)
            names += (names.isEmpty() ? "" : "、") + QString::fromStdString(s);
        DoingStateLabel->setText(QStringLiteral("読み込めないストックは飛ばしました: ") + names);
        DoingStateLabel->show();
    }
}

void TSearchDlg::Button2Click() {
    stopFlag_ = true;
}

void TSearchDlg::Button3Click() {
    const Busy busy(*this);
    const auto file =
        dialogs().saveFileName(this, QStringLiteral("検索結果をCSV形式で保存"), QString(),
                               QStringLiteral("CSVファイル (*.csv)"), QStringLiteral("csv"));
    if (!file || file->isEmpty()) return;
    const std::vector<ResultCells> rows = model_->cellsInOrder();
    if (!saveResultsCsv(std::filesystem::path(file->toStdString()), rows))
        dialogs().messageBox(this, QStringLiteral("ERROR"),
                             QString::fromUtf8(kMessageCannotOpenFile), MsgButtons::Ok,
                             MsgIcon::Exclamation);
}

void TSearchDlg::ListView1ColumnClick(int column) {
    static const ResultSortKey keys[] = {ResultSortKey::Name, ResultSortKey::Path,
                                         ResultSortKey::Size, ResultSortKey::Created,
                                         ResultSortKey::Modified};
    if (column < 0 || column >= ResultsModel::ColumnCount) return;
    model_->sortBy(keys[column]);
}

void TSearchDlg::ListView1DblClick() {
    const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
    if (rows.isEmpty() || !form_) return;
    // The main window is busy opening or reading a stock: its tree is not ready.
    if (!form_->isEnabled() || form_->progressDlg) return;
    const SearchHit hit = model_->row(rows.first().row()).hit;

    // The stock, compared byte for byte; opened unless it is the selected one.
    QListWidget* list = form_->StockDataList;
    int found = -1;
    for (int i = 0; i < list->count() && found < 0; ++i)
        if (list->item(i)->text().toStdString() == hit.stock) found = i;
    const int current = list->currentRow();
    const int selected = current >= 0 && list->item(current)->isSelected() ? current : -1;
    if (found >= 0 && found != selected) {
        const QPointer<TSearchDlg> self(this);
        TForm1* form = form_;
        list->setCurrentRow(found, QItemSelectionModel::ClearAndSelect);
        form->OpenSelectedStock();
        if (!self) return;
    }

    // Down the open tree, folder by folder, as far as the names lead.
    FolderNode* node = form_->tree.root();
    if (!node) return;
    for (const std::string& name : hit.folders) {
        FolderNode* next = nullptr;
        for (FolderNode* child : node->children)
            if (child->name == name) {
                next = child;
                break;
            }
        if (!next) break;
        node = next;
    }
    form_->selectNode(node, true);
}

void TSearchDlg::closeEvent(QCloseEvent* e) {
    if (searching_) { // no closing while a search runs
        e->ignore();
        return;
    }
    hide();
    e->accept();
    emit closed();
}

void TSearchDlg::reject() {
    close();
}

void TSearchDlg::Release() {
    hide();
    if (busy_ > 0) {
        stopFlag_ = true;
        releasePending_ = true;
    } else {
        deleteLater();
    }
}

bool TSearchDlg::event(QEvent* e) {
    if (e->type() == QEvent::DeferredDelete && busy_ > 0) {
        // Deleting now would pull the dialog (and a message box on the stack
        // that it owns) from under the running handler: stop the search, close
        // our boxes, and let the handler release the dialog when it returns.
        hide();
        stopFlag_ = true;
        releasePending_ = true;
        deleteEventHeld_ = true;
        for (QDialog* box : findChildren<QDialog*>())
            if (box->isVisible()) box->reject();
        return true;
    }
    return QDialog::event(e);
}

} // namespace zt
