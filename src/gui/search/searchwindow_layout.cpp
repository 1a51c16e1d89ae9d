// The search window's controls: the parameters above, the result list below.
#include "gui/common/keys.h"
#include "gui/search/filterrow.h"
#include "gui/search/resultsmodel.h"
#include "gui/search/searchwindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace zt {

namespace {

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

template <class W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

QLayout* SearchWindow::buildStockColumn() {
    stocksCaption_ = new QLabel(QStringLiteral("検索ストック"), top_);
    stocks_ = named(new QListView(top_), "searchStockList");
    stocks_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    stocks_->setUniformItemSizes(true); // one line per stock: see the stock list pane
    stocks_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    stocks_->setMaximumWidth(150);
    // The list takes the height of the controls beside it rather than asking
    // for its own, so the result list below gets the room.
    stocks_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    stocks_->setMinimumHeight(3 * stocks_->fontMetrics().height() + 6);
    allStocks_ = named(new QCheckBox(QStringLiteral("全ストック検索"), top_), "allStocksCheck");
    connect(allStocks_, &QCheckBox::toggled, this, [this](bool all) {
        stocksCaption_->setEnabled(!all);
        stocks_->setEnabled(!all);
    });
    auto* stockColumn = new QVBoxLayout;
    stockColumn->addWidget(stocksCaption_);
    stockColumn->addWidget(stocks_, 1);
    stockColumn->addWidget(allStocks_);
    return stockColumn;
}

void SearchWindow::buildParameters() {
    top_ = new QWidget(this);
    auto* grid = new QGridLayout(top_);
    grid->setContentsMargins(8, 8, 8, 4);

    grid->addLayout(buildStockColumn(), 0, 0, 3, 1);

    text_ = named(new QLineEdit(top_), "searchTextEdit");
    start_ = named(new QPushButton(QStringLiteral("検索開始"), top_), "startSearchButton");
    start_->setDefault(true);
    start_->setAutoDefault(true);
    stop_ = named(new QPushButton(QStringLiteral("中断"), top_), "stopSearchButton");
    stop_->setEnabled(false);
    stop_->setAutoDefault(false);
    connect(start_, &QPushButton::clicked, this, &SearchWindow::startSearch);
    connect(stop_, &QPushButton::clicked, this, &SearchWindow::stopSearch);
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(new QLabel(QStringLiteral("検索文字列"), top_));
    textRow->addWidget(text_, 1);
    textRow->addWidget(start_);
    textRow->addWidget(stop_);
    grid->addLayout(textRow, 0, 1, 1, 3);

    targetBox_ = radioGroup(top_, QStringLiteral("検索対象"),
                            {QStringLiteral("ファイル・フォルダ"), QStringLiteral("ファイル"),
                             QStringLiteral("フォルダ")},
                            targets_);
    methodBox_ = radioGroup(top_, QStringLiteral("検索方法"),
                            {QStringLiteral("デフォルト"), QStringLiteral("完全一致"),
                             QStringLiteral("前方一致"), QStringLiteral("後方一致"),
                             QStringLiteral("ワイルドカード"), QStringLiteral("正規表現")},
                            methods_);
    for (QGroupBox* box : {targetBox_, methodBox_})
        box->setMinimumWidth(box->sizeHint().width());
    grid->addWidget(named(targetBox_, "targetGroup"), 1, 1, 2, 1, Qt::AlignTop);
    grid->addWidget(named(methodBox_, "methodGroup"), 1, 2, 2, 1, Qt::AlignTop);

    showStatus_ = named(new QCheckBox(QStringLiteral("検索状況の表示"), top_), "showStatusCheck");
    showStatus_->setChecked(true);
    caseSensitive_ =
        named(new QCheckBox(QStringLiteral("大/小文字の区別"), top_), "caseSensitiveCheck");
    saveCsv_ = named(new QPushButton(QStringLiteral("結果をCSV形式で保存"), top_), "saveCsvButton");
    saveCsv_->setAutoDefault(false);
    connect(saveCsv_, &QPushButton::clicked, this, &SearchWindow::saveResults);
    // The filters open under the parameters; closed, the window is as it always was.
    filtersToggle_ = named(new QToolButton(top_), "filtersToggle");
    filtersToggle_->setText(QStringLiteral("絞り込み"));
    filtersToggle_->setAccessibleName(QStringLiteral("絞り込み"));
    filtersToggle_->setToolTip(QStringLiteral("サイズと更新日で絞り込む"));
    filtersToggle_->setCheckable(true);
    filtersToggle_->setAutoRaise(true);
    filtersToggle_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    filtersToggle_->setArrowType(Qt::RightArrow);
    filtersToggle_->setFocusPolicy(Qt::StrongFocus);
    connect(filtersToggle_, &QToolButton::toggled, this, &SearchWindow::setFiltersShown);
    auto* optionColumn = new QVBoxLayout;
    optionColumn->addWidget(showStatus_);
    optionColumn->addWidget(caseSensitive_);
    optionColumn->addWidget(filtersToggle_);
    optionColumn->addStretch(1);
    optionColumn->addWidget(saveCsv_);
    grid->addLayout(optionColumn, 1, 3, 2, 1);
    grid->setColumnStretch(3, 1);
    filterRow_ = new FilterRow(top_);
    filterRow_->hide();
    grid->addWidget(filterRow_, 3, 0, 1, 4);
    stocks_->setAccessibleName(QStringLiteral("検索ストック"));
    text_->setAccessibleName(QStringLiteral("検索文字列"));
    nameButtonsFromCaptions(top_);
}

void SearchWindow::setFiltersShown(bool shown) {
    if (filtersToggle_->isChecked() != shown) filtersToggle_->setChecked(shown); // comes back here
    filtersToggle_->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
    filterRow_->setVisible(shown);
    // The result list moves to make room; the window grows when it must.
    top_->layout()->activate();
    const QSize top = top_->minimumSizeHint();
    setMinimumSize(top.width(), top.height() + 4 + 4 * resultsView_->fontMetrics().height() + 20);
    layoutResults();
}

void SearchWindow::buildResults() {
    results_ = new ResultsModel(icons_, this);
    resultsView_ = named(new QTableView(this), "resultsView");
    resultsView_->setAccessibleName(QStringLiteral("検索結果"));
    resultsView_->setModel(results_);
    resultsView_->setShowGrid(true);
    resultsView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resultsView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    resultsView_->setSelectionMode(QAbstractItemView::SingleSelection);
    // One tab stop: the arrows move inside, Tab and Shift+Tab leave.
    resultsView_->setTabKeyNavigation(false);
    resultsView_->installEventFilter(this);
    resultsView_->setWordWrap(false);
    resultsView_->setIconSize(QSize(16, 16));
    resultsView_->verticalHeader()->hide();
    resultsView_->verticalHeader()->setDefaultSectionSize(resultsView_->fontMetrics().height() + 4);
    resultsView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    resultsView_->horizontalHeader()->setSectionsClickable(true);
    resultsView_->horizontalHeader()->setHighlightSections(false);
    // Name and path as designed; size and dates wide enough for their usual
    // texts ("1,234,567KB", "2001/12/25 23:59:59") and their titles.
    const QFontMetrics fm = resultsView_->fontMetrics();
    const int pad = 2 * fm.horizontalAdvance(QLatin1Char('M'));
    const int sizeWidth = fm.horizontalAdvance(QStringLiteral("1,234,567KB")) + pad;
    const int dateWidth = fm.horizontalAdvance(QStringLiteral("2001/12/25 23:59:59")) + pad;
    const int widths[] = {150, 200, std::max(80, sizeWidth), std::max(80, dateWidth),
                          std::max(80, dateWidth)};
    for (int c = 0; c < ResultsModel::ColumnCount; ++c) {
        const QString title = results_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        resultsView_->setColumnWidth(c, std::max(widths[c], fm.horizontalAdvance(title) + pad));
    }
    connect(resultsView_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &SearchWindow::sortByColumn);
    connect(resultsView_, &QTableView::doubleClicked, this, &SearchWindow::openSelectedResult);

    status_ = named(new QLabel(QString(), this), "statusLabel");
    status_->setTextFormat(Qt::PlainText);
    status_->hide();
}

void SearchWindow::setSearchText(const QString& text) {
    text_->setText(text);
}

void SearchWindow::setAllStocks(bool all) {
    allStocks_->setChecked(all);
}

void SearchWindow::setMode(MatchMode mode) {
    methods_->button(int(mode))->setChecked(true);
}

} // namespace zt
