// The tool bar, the menu bar and the context menus of the main window.
#include "gui/common/appearance.h"
#include "gui/common/flowtoolbar.h"
#include "gui/dialogs/propertiesdialog.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/source/sourcepane.h"
#include "gui/panes/stocklist/stocklistpane.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolButton>

namespace zt {

namespace {

QAction* named(QAction* action, const char* name) {
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

void MainWindow::buildToolBar() {
    toolBar_ = new FlowToolBar(centralWidget());
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    const auto add = [this](const char* name, const QString& caption, const QString& hint,
                            const char* icon, QStyle::StandardPixmap fallback) {
        QToolButton* b =
            toolBar_->addButton(caption, hint, themeIcon(QString::fromLatin1(icon), fallback));
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    connect(add("exitButton", QStringLiteral("終了"), QStringLiteral("終了"), "application-exit",
                QStyle::SP_DialogCloseButton),
            &QToolButton::clicked, this, &QWidget::close);
    toolBar_->addSeparator();
    captureButton_ = add("captureButton", QStringLiteral("読み出し"),
                         QStringLiteral("ドライブからデータを読み込む"), "media-optical",
                         QStyle::SP_DriveCDIcon);
    connect(captureButton_, &QToolButton::clicked, this, &MainWindow::captureSelectedSource);
    exportButton_ =
        add("exportButton", QStringLiteral("書き出し"), QStringLiteral("ファイル名の書き出し"),
            "document-save-as", QStyle::SP_DialogSaveButton);
    connect(exportButton_, &QToolButton::clicked, this, &MainWindow::exportNames);
    QToolButton* remove =
        add("deleteButton", QStringLiteral("削除"), QStringLiteral("ストックデータの削除"),
            "edit-delete", QStyle::SP_TrashIcon);
    connect(remove, &QToolButton::clicked, this, &MainWindow::deleteSelectedStock);
    stockActions_ << remove;
    upButton_ = add("upButton", QStringLiteral("上へ"), QStringLiteral("フォルダを一つ上へ"),
                    "go-up", QStyle::SP_FileDialogToParent);
    upButton_->setFocusPolicy(Qt::TabFocus); // the one button a keyboard user needs here
    upButton_->setAccessibleName(QStringLiteral("上へ"));
    connect(upButton_, &QToolButton::clicked, this, [this] { folders_->goUp(); });
    toolBar_->addSeparator();
    searchButton_ = add("searchButton", QStringLiteral("検索"), QStringLiteral("検索ダイアログ"),
                        "edit-find", QStyle::SP_FileDialogContentsView);
    searchButton_->setCheckable(true);
    connect(searchButton_, &QToolButton::clicked, this, &MainWindow::toggleSearchWindow);
    sizeMapButton_ = add("sizeMapButton", QStringLiteral("容量"), QStringLiteral("容量マップ"),
                         "drive-harddisk", QStyle::SP_DriveHDIcon);
    sizeMapButton_->setCheckable(true);
    connect(sizeMapButton_, &QToolButton::clicked, this, &MainWindow::toggleSizeMap);
    connect(add("optionsButton", QStringLiteral("設定"), QStringLiteral("設定"),
                "preferences-system", QStyle::SP_ComputerIcon),
            &QToolButton::clicked, this, &MainWindow::showOptions);
    toolBar_->addSeparator();
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    // One action in the 操作 menu and the stock list's menu.
    updateAction_ =
        named(new QAction(QStringLiteral("ストックを更新..."), this), "updateStockAction");
    connect(updateAction_, &QAction::triggered, this, &MainWindow::updateSelectedStock);
    verifyAction_ =
        named(new QAction(QStringLiteral("ストックを検証..."), this), "verifyStockAction");
    connect(verifyAction_, &QAction::triggered, this, &MainWindow::verifySelectedStock);
    stockActions_ << updateAction_ << verifyAction_;
    QAction* exit = named(bar->addAction(QStringLiteral("終了(&X)")), "exitAction");
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* operations = bar->addMenu(QStringLiteral("操作(&O)"));
    operations->setObjectName(QStringLiteral("operationsMenu"));
    captureAction_ = named(
        operations->addAction(QStringLiteral("ドライブからデータを読み込む(&S)")), "captureAction");
    connect(captureAction_, &QAction::triggered, this, &MainWindow::captureSelectedSource);
    exportAction_ = named(operations->addAction(QStringLiteral("ファイル名を書き出す(&W)")),
                          "exportNamesAction");
    connect(exportAction_, &QAction::triggered, this, &MainWindow::exportNames);
    // What the window offers beyond the two classic commands comes after them.
    operations->addSeparator();
    operations->addAction(updateAction_);
    connect(named(operations->addAction(QStringLiteral("一覧にないストックを追加...")),
                  "adoptStocksAction"),
            &QAction::triggered, this, &MainWindow::adoptUnlistedStocks);
    connect(named(operations->addAction(QStringLiteral("重複ファイル...")), "duplicatesAction"),
            &QAction::triggered, this, &MainWindow::showDuplicates);
    connect(named(operations->addAction(QStringLiteral("名前索引を確認...")), "checkIndexesAction"),
            &QAction::triggered, this, [this] { checkIndexes(false); });
    operations->addAction(verifyAction_);

    QMenu* view = bar->addMenu(QStringLiteral("表示(&V)"));
    view->setObjectName(QStringLiteral("viewMenu"));
    searchAction_ = named(view->addAction(QStringLiteral("検索ダイアログ(&F)")), "searchAction");
    searchAction_->setCheckable(true);
    searchAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(searchAction_, &QAction::triggered, this, &MainWindow::toggleSearchWindow);
    sizeMapAction_ = named(view->addAction(QStringLiteral("容量マップ(&M)")), "sizeMapAction");
    sizeMapAction_->setCheckable(true);
    connect(sizeMapAction_, &QAction::triggered, this, &MainWindow::toggleSizeMap);
    view->addSeparator();
    QMenu* arrange = view->addMenu(QStringLiteral("アイコンの整列(&I)"));
    arrange->setObjectName(QStringLiteral("arrangeMenu"));
    auto* arrangement = new QActionGroup(this);
    // Optional: an arrangement value other than 0 and 1 checks neither item.
    arrangement->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    byNameAction_ = named(arrange->addAction(QStringLiteral("名前順(&N)")), "byNameAction");
    byKindAction_ = named(arrange->addAction(QStringLiteral("種類順で整列(&T)")), "byKindAction");
    for (QAction* a : {byNameAction_, byKindAction_}) {
        a->setCheckable(true);
        arrangement->addAction(a);
    }
    connect(byNameAction_, &QAction::triggered, this,
            [this] { setArrangement(Arrangement::ByName); });
    connect(byKindAction_, &QAction::triggered, this,
            [this] { setArrangement(Arrangement::ByKind); });
    showSizesAction_ =
        named(view->addAction(QStringLiteral("フォルダの大きさ(&Z)")), "showSizesAction");
    showSizesAction_->setCheckable(true);

    connect(named(bar->addAction(QStringLiteral("設定(&S)")), "optionsAction"), &QAction::triggered,
            this, &MainWindow::showOptions);
    QAction* help = named(bar->addAction(QStringLiteral("ﾍﾙﾌﾟ(&H)")), "helpAction");
    help->setShortcut(QKeySequence(Qt::Key_F1));
    connect(help, &QAction::triggered, this, &MainWindow::showHelp);
}

void MainWindow::buildContextMenus() {
    stockMenu_ = new QMenu(this);
    stockMenu_->setObjectName(QStringLiteral("stockMenu"));
    connect(named(stockMenu_->addAction(QStringLiteral("上へ")), "moveStockUpAction"),
            &QAction::triggered, this, &MainWindow::moveStockUp);
    connect(named(stockMenu_->addAction(QStringLiteral("下へ")), "moveStockDownAction"),
            &QAction::triggered, this, &MainWindow::moveStockDown);
    stockMenu_->addSeparator();
    QAction* rename =
        named(stockMenu_->addAction(QStringLiteral("名前の変更")), "renameStockAction");
    rename->setShortcut(QKeySequence(Qt::Key_F2));
    connect(rename, &QAction::triggered, this, &MainWindow::renameSelectedStock);
    stockMenu_->addSeparator();
    QAction* remove = named(stockMenu_->addAction(QStringLiteral("削除")), "deleteStockAction");
    remove->setShortcut(QKeySequence(QKeySequence::Delete));
    connect(remove, &QAction::triggered, this, &MainWindow::deleteSelectedStock);
    // The classic items first, then what the window adds.
    stockMenu_->addSeparator();
    stockMenu_->addAction(updateAction_);
    QAction* checkIndex =
        named(stockMenu_->addAction(QStringLiteral("名前索引を確認")), "checkIndexAction");
    connect(checkIndex, &QAction::triggered, this, [this] { checkIndexes(true); });
    stockActions_ << rename << remove << checkIndex;
    QAction* properties =
        named(stockMenu_->addAction(QStringLiteral("プロパティ")), "stockPropertiesAction");
    connect(properties, &QAction::triggered, this, &MainWindow::showStockProperties);
    stockActions_ << properties;
    stockMenu_->addAction(verifyAction_);
    stockList_->setContextMenu(stockMenu_);
    // Their keys work while the list has the focus, not wherever the user is.
    stockList_->addListAction(rename);
    stockList_->addListAction(remove);

    contentsMenu_ = new QMenu(this);
    contentsMenu_->setObjectName(QStringLiteral("contentsMenu"));
    openOnMediumAction_ =
        named(contentsMenu_->addAction(QStringLiteral("開く")), "openOnMediumAction");
    connect(openOnMediumAction_, &QAction::triggered, this, &MainWindow::openItemOnMedium);
    openFolderOnMediumAction_ = named(contentsMenu_->addAction(QStringLiteral("フォルダを開く")),
                                      "openFolderOnMediumAction");
    connect(openFolderOnMediumAction_, &QAction::triggered, this,
            &MainWindow::openItemFolderOnMedium);
    connect(contentsMenu_, &QMenu::aboutToShow, this, &MainWindow::enableMediumActions);
    contentsMenu_->addSeparator();
    connect(named(contentsMenu_->addAction(QStringLiteral("プロパティ")), "itemPropertiesAction"),
            &QAction::triggered, this, [this] { showProperties(false); });
    folders_->setContentsMenu(contentsMenu_);
    folderMenu_ = new QMenu(this);
    folderMenu_->setObjectName(QStringLiteral("folderMenu"));
    connect(named(folderMenu_->addAction(QStringLiteral("プロパティ")), "folderPropertiesAction"),
            &QAction::triggered, this, [this] { showProperties(true); });
    folders_->setTreeMenu(folderMenu_);
}

void MainWindow::buildKeys() {
    auto* up = goUpAction_ = named(new QAction(QStringLiteral("上へ"), this), "goUpAction");
    up->setShortcuts({QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::ALT | Qt::Key_Up)});
    connect(up, &QAction::triggered, this, [this] { folders_->goUp(); });
    addAction(up);

    // The panes in reading order, after the tool bar's one focusable button.
    QList<QWidget*> chain{upButton_};
    chain << stockList_->focusOrder() << sources_->focusOrder() << folders_->focusOrder();
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void MainWindow::setArrangement(Arrangement arrangement) {
    // Choosing the checked item again keeps it checked.
    byNameAction_->setChecked(arrangement == Arrangement::ByName);
    byKindAction_->setChecked(arrangement == Arrangement::ByKind);
    if (arrangement == Arrangement(settings_.iconArrangement)) return;
    settings_.iconArrangement = int8_t(arrangement); // the settings file keeps the byte
    folders_->setArrangement(arrangement);
}

void MainWindow::showProperties(bool ofFolder) {
    const auto record =
        ofFolder ? folders_->selectedFolderProperties() : folders_->selectedItemProperties();
    if (!record) return;
    PropertiesDialog dialog(this);
    dialog.showRecord(*record);
    dialog.exec();
}

} // namespace zt
