// The folder view: contents of the selected folder, navigation, icons, properties.
#include "browser/contents.h"
#include "browser/properties.h"
#include "browser/ui/contentsmodel.h"
#include "browser/ui/iconcache.h"
#include "browser/ui/propertydlg.h"
#include "browser/ui/tform1.h"
#include "capture/ui/progressdlg.h"
#include "catalogue/ui/foldertreemodel.h"
#include "platform/ui/pump.h"

#include <QAction>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>

namespace zt {

namespace {

// Folders of more than this many files are filled under the progress dialog.
constexpr int kProgressThreshold = 500;

void showProperties(TForm1& form, const PropertyRecord& record) {
    auto* dlg = new TPropertyDlg(&form);
    form.propertyDlg = dlg;
    dlg->Show(record);
    QPointer<TPropertyDlg> alive(dlg);
    dlg->exec();
    if (form.propertyDlg == dlg) form.propertyDlg = nullptr;
    delete alive.data(); // null when shut-down already took it
}

// Row of the caption that is widest in font, or -1 for no items. Shaping
// 100,000 names one by one takes most of a second, so every name is first
// measured as the sum of its characters' advances (cached per character), and
// only the names close to the widest of those sums are measured properly.
int widestCaption(const std::vector<ContentsItem>& items, const QFont& font) {
    if (items.empty()) return -1;
    const QFontMetrics fm(font);
    std::vector<int16_t> advance(0x10000, -1);
    std::vector<int> rough(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string_view c = items[i].caption;
        int sum = 0;
        for (size_t p = 0; p < c.size();) {
            const auto b = static_cast<unsigned char>(c[p]);
            const size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
            for (size_t k = 1; k < len && p + k < c.size(); ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(c[p + k]) & 0x3F);
            p += len;
            if (cp < 0x10000) {
                int16_t& a = advance[cp];
                if (a < 0)
                    a = int16_t(std::clamp(fm.horizontalAdvance(QChar(char16_t(cp))), 0, 0x7FFF));
                sum += a;
            } else {
                sum += fm.horizontalAdvance(QString::fromUcs4(&cp, 1));
            }
        }
        rough[i] = sum;
    }
    const int roughMax = *std::max_element(rough.begin(), rough.end());
    std::vector<int> candidates;
    for (size_t i = 0; i < rough.size(); ++i)
        if (rough[i] * 10 >= roughMax * 8) candidates.push_back(int(i));
    constexpr size_t kMaxExact = 2000;
    if (candidates.size() > kMaxExact) {
        std::nth_element(candidates.begin(), candidates.begin() + kMaxExact, candidates.end(),
                         [&](int a, int b) { return rough[size_t(a)] > rough[size_t(b)]; });
        candidates.resize(kMaxExact);
    }
    int widestRow = candidates.front(), widest = -1;
    for (int row : candidates) {
        const std::string_view c = items[size_t(row)].caption;
        const int w = fm.horizontalAdvance(QString::fromUtf8(c.data(), qsizetype(c.size())));
        if (w > widest) {
            widest = w;
            widestRow = row;
        }
    }
    return widestRow;
}

} // namespace

void TForm1::setupFolderView() {
    // First: the capture and the tree use the fixed images from the start.
    iconCache = new IconCache(this);

    contentsModel = new ContentsModel(iconCache, this);
    ListView1->setModel(contentsModel);
    // Every item has the size of the widest one, so laying out and scrolling a
    // folder of 100,000 files never measures them one by one.
    ListView1->setUniformItemSizes(true);
    ListView1->setLayoutMode(QListView::Batched);
    ListView1->setBatchSize(5000);
    connect(ListView1, &QListView::doubleClicked, this, [this] { ListView1DblClick(); });

    // The contents items point into the open stock's tree: they go before it changes.
    if (treeModel) {
        connect(treeModel, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
            ++treeResetCount_;
            contentsModel->clear();
        });
    }
}

void TForm1::LoadIconCache() {
    iconCache->load(dataDir());
}

void TForm1::TreeView1Change() {
    if (clearingTree) return;
    RefillContents();
}

void TForm1::RefillContents() {
    const unsigned serial = ++contentsFillSerial_;
    const unsigned resets = treeResetCount_;
    contentsModel->clear();
    FolderNode* node = selectedNode();
    if (!node) return; // nothing selected (the tree was emptied): an empty list

    std::vector<ContentsItem> items;
    const int fileCount = node->fileCount;
    items.reserve(node->children.size() + size_t(std::max(0, fileCount)));
    for (const FolderNode* child : node->children) {
        ContentsItem item;
        item.caption = child->name;
        item.imageIndex = IconCache::ClosedFolder;
        item.folder = child;
        items.push_back(item);
    }

    // Guarded: shut-down releases every dialog, also one that is still in use here.
    QPointer<TProgressDialog> dlg;
    if (fileCount > kProgressThreshold) {
        dlg = new TProgressDialog(this);
        progressDlg = dlg;
        dlg->ProgressBar1->setRange(0, fileCount);
        dlg->Label2->hide();
        dlg->Button1->hide();
        setEnabled(false);
        dlg->show();
    }

    const bool byType = settings.iconsByFileType;
    const bool withProgress = dlg;
    bool abandoned = false;
    int added = 0;
    for (const FileRecord* f = node->firstFile; f;) {
        ContentsItem item;
        item.caption = f->name();
        item.imageIndex = byType ? iconCache->imageIndexOf(item.caption) : IconCache::GenericFile;
        item.file = f;
        items.push_back(item);
        if (withProgress) {
            LetPendingMessagesRun();
            // Another refill or a new tree while events ran: this folder is gone
            // from view (or from memory) and its items must not be shown.
            if (serial != contentsFillSerial_ || resets != treeResetCount_ || !dlg) {
                abandoned = true;
                break;
            }
            if (++added % 10 == 0) dlg->StepBy(10);
        }
        f = f->next;
    }

    if (withProgress) {
        if (dlg && progressDlg == dlg) {
            setEnabled(true);
            progressDlg = nullptr;
        }
        delete dlg.data();
        ListView1->setVisible(true);
    }
    if (abandoned) return;

    sortContents(items, settings.iconArrangement);

    const int widestRow = widestCaption(items, ListView1->font());
    contentsModel->setItemSize(QSize());
    contentsModel->setItems(std::move(items));
    if (widestRow >= 0) {
        const QSize hint = ListView1->sizeHintForIndex(contentsModel->index(widestRow));
        contentsModel->setItemSize(QSize(std::min(hint.width(), 0xFFFF), hint.height()));
    }
}

void TForm1::ListView1DblClick() {
    const QModelIndexList sel = ListView1->selectionModel()->selectedIndexes();
    const ContentsItem* item = sel.isEmpty() ? nullptr : contentsModel->itemAt(sel.first());
    if (!item || !item->isFolder()) return;
    FolderNode* node = selectedNode();
    if (!node) return;
    const std::string caption(item->caption);
    for (FolderNode* child : node->children) {
        if (child->name == caption) {
            selectNode(child, true);
            return;
        }
    }
}

void TForm1::ToolButtonFolderUpClick() {
    FolderNode* node = selectedNode();
    if (!node || !node->parent) return;
    selectNode(node->parent, true);
}

void TForm1::MenuNameSortClick() {
    MenuNameSort->setChecked(true);
    settings.iconArrangement = int8_t(Arrangement::ByName);
    contentsModel->sort(settings.iconArrangement);
}

void TForm1::MenuKindSortClick() {
    MenuKindSort->setChecked(true);
    settings.iconArrangement = int8_t(Arrangement::ByKind);
    contentsModel->sort(settings.iconArrangement);
}

void TForm1::ListView1MouseUp(const QPoint& pos) {
    if (!ListView1->selectionModel()->hasSelection()) return;
    PopupMenu2->popup(ListView1->viewport()->mapToGlobal(pos));
}

void TForm1::TreeView1MouseUp(const QPoint& pos) {
    // A right click selects the folder under the cursor first.
    if (FolderNode* under = FolderTreeModel::nodeOf(TreeView1->indexAt(pos));
        under && under != selectedNode())
        selectNode(under, false);
    if (!selectedNode()) return;
    PopupMenu3->popup(TreeView1->viewport()->mapToGlobal(pos));
}

void TForm1::Property1Click() {
    const QModelIndexList sel = ListView1->selectionModel()->selectedIndexes();
    const ContentsItem* item = sel.isEmpty() ? nullptr : contentsModel->itemAt(sel.first());
    FolderNode* node = selectedNode();
    if (!item || !node) return;
    showProperties(*this, propertiesOfItem(*node, item->caption));
}

void TForm1::Property2Click() {
    FolderNode* node = selectedNode();
    if (!node) return;
    showProperties(*this, propertiesOfFolder(*node));
}

} // namespace zt
