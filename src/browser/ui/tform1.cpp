// The main window: its panes, tool bar and menus, the start-up and shut-down
// sequences, the resize rule, help and exit.
#include "browser/ui/tform1.h"

#include "browser/ui/appearance.h"
#include "browser/ui/flowtoolbar.h"
#include "platform/ui/dialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace zt {

namespace {

// The tool bar's images, by their index in the design's image list.
QIcon toolImage(int index) {
    switch (index) {
    case 0:
        return themeIcon(QStringLiteral("media-optical"), QStyle::SP_DriveCDIcon);
    case 1:
        return themeIcon(QStringLiteral("application-exit"), QStyle::SP_DialogCloseButton);
    case 2:
        return themeIcon(QStringLiteral("edit-delete"), QStyle::SP_TrashIcon);
    case 3:
        return themeIcon(QStringLiteral("edit-find"), QStyle::SP_FileDialogContentsView);
    case 4:
        return themeIcon(QStringLiteral("preferences-system"), QStyle::SP_ComputerIcon);
    case 5:
        return themeIcon(QStringLiteral("go-up"), QStyle::SP_FileDialogToParent);
    case 6:
        return themeIcon(QStringLiteral("document-save-as"), QStyle::SP_DialogSaveButton);
    default:
        return {};
    }
}

QWidget* plainPanel(QWidget* parent = nullptr) {
    auto* w = new QWidget(parent);
    w->setContentsMargins(0, 0, 0, 0);
    return w;
}

template <class Layout> Layout* tightLayout(QWidget* owner) {
    auto* l = new Layout(owner);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    return l;
}

} // namespace

TForm1::TForm1(std::filesystem::path dataDir, QWidget* parent)
    : QMainWindow(parent), dataDir_(std::move(dataDir)) {
    setWindowTitle(QStringLiteral("Zu Tomelark"));
    buildLayout();
    setupStockViews();
    setupCapture();
    setupFolderView();
    setupManage();

    // Start-up: settings first, then the lists that depend on them.
    LoadSettings();
    applySettings();
    FillDriveList();
    loadStockList();
    LoadIconCache();
    if (settings.searchDialogShown) CreateSearchDialog();
}

TForm1::~TForm1() {
    // A window destroyed without being closed still saves its state.
    ShutDown();
}

int TForm1::px(int designPixels) const {
    // Design sizes assume a 12 px font; a bigger font grows them alike. Screen
    // scaling needs nothing here: these are logical pixels.
    const double s = std::max(1.0, fontMetrics().height() / 15.0);
    return int(std::lround(designPixels * s));
}

void TForm1::buildLayout() {
    auto* client = new QWidget(this);
    setCentralWidget(client);
    client->installEventFilter(this);

    buildToolBar();
    buildMenus();
    buildPanes();

    // Never so narrow that the tool bar needs a third row: the bar's height
    // has room for two.
    setMinimumSize(ToolBar1->minimumWidthForRows(2), px(240));
}

void TForm1::buildToolBar() {
    ToolBar1 = new FlowToolBar(centralWidget());
    ToolButtonClose =
        ToolBar1->addButton(QStringLiteral("終了"), QStringLiteral("終了"), toolImage(1));
    ToolBar1->addSeparator();
    ToolButtonSuck = ToolBar1->addButton(
        QStringLiteral("読み出し"), QStringLiteral("ドライブからデータを読み込む"), toolImage(0));
    ToolButton3 = ToolBar1->addButton(QStringLiteral("書き出し"),
                                      QStringLiteral("ファイル名の書き出し"), toolImage(6));
    ToolButton1 = ToolBar1->addButton(QStringLiteral("削除"),
                                      QStringLiteral("ストックデータの削除"), toolImage(2));
    ToolButtonFolderUp = ToolBar1->addButton(QStringLiteral("上へ"),
                                             QStringLiteral("フォルダを一つ上へ"), toolImage(5));
    ToolBar1->addSeparator();
    ToolButtonSearch =
        ToolBar1->addButton(QStringLiteral("検索"), QStringLiteral("検索ダイアログ"), toolImage(3));
    ToolButtonSearch->setCheckable(true);
    ToolButtonSetting =
        ToolBar1->addButton(QStringLiteral("設定"), QStringLiteral("設定"), toolImage(4));
    ToolBar1->addSeparator();

    connect(ToolButtonClose, &QToolButton::clicked, this, &TForm1::Exit1Click);
    connect(ToolButtonSuck, &QToolButton::clicked, this, &TForm1::MenuSuckClick);
    connect(ToolButton3, &QToolButton::clicked, this, &TForm1::MenuWriteFailNameClick);
    connect(ToolButton1, &QToolButton::clicked, this, &TForm1::Delete1Click);
    connect(ToolButtonFolderUp, &QToolButton::clicked, this, &TForm1::ToolButtonFolderUpClick);
    connect(ToolButtonSetting, &QToolButton::clicked, this, &TForm1::MenuSettingClick);
    // The button's down state is the handler's business: undo Qt's own toggle
    // so that the handler sees the state from before the click.
    connect(ToolButtonSearch, &QToolButton::clicked, this, [this](bool down) {
        ToolButtonSearch->setChecked(!down);
        MenuSearchClick();
    });
}

void TForm1::buildMenus() {
    QMenuBar* bar = menuBar();
    Exit1 = bar->addAction(QStringLiteral("終了(&X)"));
    connect(Exit1, &QAction::triggered, this, &TForm1::Exit1Click);

    N6 = bar->addMenu(QStringLiteral("操作(&O)"));
    MenuSuck = N6->addAction(QStringLiteral("ドライブからデータを読み込む(&S)"));
    MenuWriteFailName = N6->addAction(QStringLiteral("ファイル名を書き出す(&W)"));
    connect(MenuSuck, &QAction::triggered, this, &TForm1::MenuSuckClick);
    connect(MenuWriteFailName, &QAction::triggered, this, &TForm1::MenuWriteFailNameClick);

    Show1 = bar->addMenu(QStringLiteral("表示(&V)"));
    MenuSearch = Show1->addAction(QStringLiteral("検索ダイアログ(&F)"));
    MenuSearch->setCheckable(true);
    // As with the tool button: the handler decides the check mark.
    connect(MenuSearch, &QAction::triggered, this, [this](bool checked) {
        MenuSearch->setChecked(!checked);
        MenuSearchClick();
    });
    Show1->addSeparator();
    ArrangeIcon1 = Show1->addMenu(QStringLiteral("アイコンの整列(&I)"));
    auto* arrangement = new QActionGroup(this);
    // Optional: an arrangement value other than 0 and 1 checks neither item.
    arrangement->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    MenuNameSort = ArrangeIcon1->addAction(QStringLiteral("名前順(&N)"));
    MenuKindSort = ArrangeIcon1->addAction(QStringLiteral("種類順で整列(&T)"));
    for (QAction* a : {MenuNameSort, MenuKindSort}) {
        a->setCheckable(true);
        arrangement->addAction(a);
    }
    // Choosing the checked item again keeps it checked.
    connect(MenuNameSort, &QAction::triggered, this, [this] {
        MenuNameSort->setChecked(true);
        MenuNameSortClick();
    });
    connect(MenuKindSort, &QAction::triggered, this, [this] {
        MenuKindSort->setChecked(true);
        MenuKindSortClick();
    });

    MenuSetting = bar->addAction(QStringLiteral("設定(&S)"));
    connect(MenuSetting, &QAction::triggered, this, &TForm1::MenuSettingClick);
    Help1 = bar->addAction(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    connect(Help1, &QAction::triggered, this, &TForm1::Help1Click);

    PopupMenu1 = new QMenu(this);
    N3 = PopupMenu1->addAction(QStringLiteral("上へ"));
    N4 = PopupMenu1->addAction(QStringLiteral("下へ"));
    PopupMenu1->addSeparator();
    Rename1 = PopupMenu1->addAction(QStringLiteral("名前の変更"));
    PopupMenu1->addSeparator();
    Delete1 = PopupMenu1->addAction(QStringLiteral("削除"));
    connect(N3, &QAction::triggered, this, &TForm1::N3Click);
    connect(N4, &QAction::triggered, this, &TForm1::N4Click);
    connect(Rename1, &QAction::triggered, this, &TForm1::Rename1Click);
    connect(Delete1, &QAction::triggered, this, &TForm1::Delete1Click);

    PopupMenu2 = new QMenu(this);
    Property1 = PopupMenu2->addAction(QStringLiteral("プロパティ"));
    connect(Property1, &QAction::triggered, this, &TForm1::Property1Click);
    PopupMenu3 = new QMenu(this);
    Property2 = PopupMenu3->addAction(QStringLiteral("プロパティ"));
    connect(Property2, &QAction::triggered, this, &TForm1::Property2Click);
}

void TForm1::buildPanes() {
    // Panel2: the bevelled frame placed by FormResize, holding every pane.
    Panel2 = new QFrame(centralWidget());
    Panel2->setFrameStyle(QFrame::Box | QFrame::Sunken); // lowered outside, raised inside
    Panel2->setLineWidth(1);
    auto* p2 = tightLayout<QVBoxLayout>(Panel2);
    p2->setContentsMargins(2, 2, 2, 2);
    Splitter1 = new QSplitter(Qt::Horizontal, Panel2);
    p2->addWidget(Splitter1);

    // Left column: stock list over source list.
    Panel3 = plainPanel();
    Splitter2 = new QSplitter(Qt::Vertical, Panel3);
    tightLayout<QVBoxLayout>(Panel3)->addWidget(Splitter2);

    Panel4 = plainPanel();
    auto* p4 = tightLayout<QVBoxLayout>(Panel4);
    Panel10 = plainPanel(Panel4);
    Panel10->setFixedHeight(px(16));
    auto* p10 = tightLayout<QHBoxLayout>(Panel10);
    Label1 = new QLabel(QStringLiteral("ストック"), Panel10);
    Label1->setAlignment(Qt::AlignCenter);
    Panel11 = plainPanel(Panel10);
    Panel11->setFixedWidth(px(50));
    auto* p11 = tightLayout<QHBoxLayout>(Panel11);
    Button2 = new QPushButton(QStringLiteral("↑"), Panel11);
    Button2->setToolTip(QStringLiteral("上へ移動"));
    Button3 = new QPushButton(QStringLiteral("↓"), Panel11);
    Button3->setToolTip(QStringLiteral("下へ移動"));
    BitBtn1 = new QPushButton(Panel11);
    BitBtn1->setIcon(themeIcon(QStringLiteral("edit-delete"), QStyle::SP_TrashIcon));
    BitBtn1->setIconSize(QSize(px(12), px(12)));
    BitBtn1->setToolTip(QStringLiteral("ストックを削除"));
    for (QPushButton* b : {Button2, Button3, BitBtn1}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        b->setMinimumSize(1, 1);
        p11->addWidget(b, 1);
    }
    p10->addWidget(Label1, 1);
    p10->addWidget(Panel11);
    StockDataList = new QListWidget(Panel4);
    StockDataList->setSelectionMode(QAbstractItemView::SingleSelection);
    StockDataList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StockDataList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StockDataList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu1->popup(StockDataList->viewport()->mapToGlobal(pos));
    });
    p4->addWidget(Panel10);
    p4->addWidget(StockDataList, 1);
    connect(Button2, &QPushButton::clicked, this, &TForm1::N3Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::N4Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::Delete1Click);

    Panel5 = plainPanel();
    auto* p5 = tightLayout<QVBoxLayout>(Panel5);
    Label2 = new QLabel(QStringLiteral("読み出し元"), Panel5);
    Label2->setAlignment(Qt::AlignCenter);
    DriveList = new QListWidget(Panel5);
    DriveList->setViewMode(QListView::ListMode);
    DriveList->setFlow(QListView::TopToBottom);
    DriveList->setWrapping(true);
    DriveList->setResizeMode(QListView::Adjust);
    DriveList->setIconSize(QSize(16, 16));
    DriveList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DriveList->setSelectionMode(QAbstractItemView::SingleSelection);
    Panel9 = plainPanel(Panel5);
    Panel9->setFixedHeight(px(41));
    Panel9->installEventFilter(this);
    ListBox1 = new QListWidget(Panel9);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Button1 = new QPushButton(QStringLiteral("フォルダ参照..."), Panel9);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    p5->addWidget(Label2);
    p5->addWidget(DriveList, 1);
    p5->addWidget(Panel9);

    Splitter2->addWidget(Panel4);
    Splitter2->addWidget(Panel5);
    Splitter2->setStretchFactor(0, 0);
    Splitter2->setStretchFactor(1, 1);

    // Right part: folder tree beside folder contents.
    Panel1 = plainPanel();
    Splitter3 = new QSplitter(Qt::Horizontal, Panel1);
    tightLayout<QVBoxLayout>(Panel1)->addWidget(Splitter3);

    Panel6 = plainPanel();
    auto* p6 = tightLayout<QVBoxLayout>(Panel6);
    Label3 = new QLabel(QStringLiteral("　フォルダ"), Panel6);
    TreeView1 = new QTreeView(Panel6);
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setIconSize(QSize(16, 16));
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TreeView1, &QWidget::customContextMenuRequested, this, &TForm1::TreeView1MouseUp);
    p6->addWidget(Label3);
    p6->addWidget(TreeView1, 1);
    Panel6->setMinimumWidth(50);

    Panel7 = plainPanel();
    auto* p7 = tightLayout<QVBoxLayout>(Panel7);
    Label4 = new QLabel(QStringLiteral("　　フォルダの中身"), Panel7);
    ListView1 = new QListView(Panel7);
    // Small icons flowing down and then across, like a small-icon list view.
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setFlow(QListView::TopToBottom);
    ListView1->setWrapping(true);
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setMovement(QListView::Static);
    ListView1->setUniformItemSizes(true);
    ListView1->setIconSize(QSize(16, 16));
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, &TForm1::ListView1MouseUp);
    p7->addWidget(Label4);
    p7->addWidget(ListView1, 1);
    Panel7->setMinimumWidth(50);

    Splitter3->addWidget(Panel6);
    Splitter3->addWidget(Panel7);
    Splitter3->setChildrenCollapsible(false);
    Splitter3->setStretchFactor(0, 0);
    Splitter3->setStretchFactor(1, 1);

    Splitter1->addWidget(Panel3);
    Splitter1->addWidget(Panel1);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    for (QSplitter* s : {Splitter1, Splitter2, Splitter3})
        s->setHandleWidth(4);
}

void TForm1::applySettings() {
    resize(settings.width, settings.height);
    move(settings.left, settings.top);
    // Bounds saved on a screen that is gone would put the window out of reach.
    const QRect wanted(settings.left, settings.top, std::max(1, settings.width),
                       std::max(1, settings.height));
    bool visible = false;
    for (QScreen* s : QGuiApplication::screens())
        visible = visible || s->availableGeometry().intersects(wanted);
    if (!visible && QGuiApplication::primaryScreen())
        move(QGuiApplication::primaryScreen()->availableGeometry().topLeft() + QPoint(40, 40));

    const int big = std::max(settings.width, settings.height) + 1000;
    Splitter1->setSizes({std::max(0, settings.leftColumnWidth), big});
    Splitter2->setSizes({std::max(0, settings.stockListHeight), big});
    Splitter3->setSizes({std::max(50, settings.folderTreeWidth), big});

    MenuSearch->setChecked(settings.searchDialogShown);
    ToolButtonSearch->setChecked(settings.searchDialogShown);
    MenuNameSort->setChecked(settings.iconArrangement == 0);
    MenuKindSort->setChecked(settings.iconArrangement == 1);
}

QWidget* TForm1::ownedWindow(const void* dialog, const char* className) const {
    // The dialogs' classes live in their own files; this window knows them as
    // its child windows, by address or by class name.
    if (!dialog) return nullptr;
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (static_cast<const void*>(w) == dialog) return w;
    }
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isWindow() && std::strcmp(w->metaObject()->className(), className) == 0) return w;
    }
    return nullptr;
}

void TForm1::ShutDown() {
    if (shutDownDone_) return;
    shutDownDone_ = true;

    SaveSettings();
    saveStockList();
    // Closing the search dialog sends its close notification, which clears
    // searchDlg and releases the dialog afterwards. The settings are already
    // saved, so they keep "search dialog shown" as it was.
    if (QWidget* search = ownedWindow(searchDlg, "zt::TSearchDlg")) search->close();
    ClearTree();

    // Any dialog still present goes with the window. Released later rather than
    // now: a dialog may be inside its own event handling (a modal loop) here.
    const auto release = [this](auto*& dialog, const char* className) {
        QWidget* w = ownedWindow(dialog, className);
        dialog = nullptr;
        if (w) {
            w->hide();
            w->deleteLater();
        }
    };
    release(progressDlg, "zt::TProgressDialog");
    release(renameDlg, "zt::TNameChangeDlg");
    release(searchDlg, "zt::TSearchDlg");
    release(propertyDlg, "zt::TPropertyDlg");
    release(writeFileNameDlg, "zt::TWriteFileNameDlg");
    chosenSourceFolder.clear();
}

void TForm1::closeEvent(QCloseEvent* e) {
    if (!isEnabled()) {
        // Long work (a capture, opening a stock) runs with the window disabled
        // and still uses the tree: ask it to stop, and close once it has.
        cancelFlag = true;
        e->ignore();
        if (!closeRetryPending_) {
            closeRetryPending_ = true;
            QTimer::singleShot(50, this, [this] {
                closeRetryPending_ = false;
                close();
            });
        }
        return;
    }
    ShutDown();
    e->accept();
}

void TForm1::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    FormResize();
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Resize) {
        if (watched == centralWidget())
            FormResize();
        else if (watched == Panel9)
            Panel9Resize();
    }
    return QMainWindow::eventFilter(watched, e);
}

void TForm1::FormResize() {
    QWidget* client = centralWidget();
    if (!client || !ToolBar1 || !Panel2) return;
    const int cw = client->width();
    const int ch = client->height();
    const int rows = ToolBar1->rowsForWidth(cw);
    const int barHeight = int(std::lround(49 * ToolBar1->scale())) * (1 + rows / 2);
    ToolBar1->setGeometry(0, 0, cw, barHeight);

    const int left = 5;
    const int top = barHeight + 10;
    Panel2->setGeometry(left, top, std::max(0, cw - 2 * left), std::max(0, ch - top - 5));
}

void TForm1::Panel9Resize() {
    const int w = Panel9->width();
    const int listHeight = px(19);
    ListBox1->setGeometry(0, 0, w, listHeight);
    Button1->setGeometry(0, listHeight + 1, w, std::max(px(21), Panel9->height() - listHeight - 1));
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::Help1Click() {
    dialogs().showHelp(this, 1);
}

void TForm1::CancelNotification() {
    cancelFlag = true;
}

} // namespace zt
