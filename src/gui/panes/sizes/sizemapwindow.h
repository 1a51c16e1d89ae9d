#pragma once
// The 容量マップ window: the size map of the open stock's selected folder (or
// of every stock), 上へ to zoom out, the path and size under the pointer, and
// a legend of the file kinds drawn.
#include "gui/panes/sizes/sizemapview.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace zt {

class SizeMapWindow : public QWidget {
    Q_OBJECT

  public:
    // icons is not owned; parent is the main window (the map stays on top of it).
    SizeMapWindow(const IconCache* icons, QWidget* parent);

    [[nodiscard]] SizeMapView* view() const { return view_; }
    // The map of this folder of the open stock (shown when the window shows
    // this stock, not every stock); null root shows nothing.
    void showFolder(const FolderTree* tree, const FolderNode* root,
                    std::shared_ptr<const FolderSizes> sizes);
    // Forgets the open stock: call before its tree changes.
    void clear();
    // The map of every stock, after stocksWanted.
    void showStocks(std::vector<StockBlock> stocks);
    // Back to the open stock's map (このストック).
    void showStockMode();

  signals:
    // 全ストック was chosen: the owner answers with showStocks.
    void stocksWanted();
    void closed();

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void refreshCaption();
    void refreshLegend();

    const IconCache* icons_;
    SizeMapView* view_;
    QPushButton* up_;
    QPushButton* stockMode_;
    QPushButton* allMode_;
    QLabel* path_;
    QLabel* hover_;
    QWidget* legend_;
    const FolderTree* tree_ = nullptr;
    const FolderNode* folder_ = nullptr; // the folder the stock's map shows
};

} // namespace zt
