#pragma once
// The size map of the open stock (one folder and everything below it), or of
// every stock side by side. The layout and the drawing run on a worker of the
// view's own, into an image the view then only copies to the screen; a newer
// size or folder replaces a layout still running. Hover names the item under
// the pointer, a click chooses it, a double click on a folder zooms into it.
#include "gui/panes/sizes/sizemapdraw.h"

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

namespace zt {

class IconCache;
class WorkRunner;

class SizeMapView : public QWidget {
    Q_OBJECT

  public:
    // icons is not owned; it gives the files their kinds.
    explicit SizeMapView(const IconCache* icons, QWidget* parent = nullptr);
    ~SizeMapView() override;

    // The map of root (a folder of the open stock) with the stock's totals,
    // made on the worker when none are given yet (told by sizesMade).
    // tree is not owned; root is one of its folders.
    void showFolder(const FolderTree* tree, const FolderNode* root,
                    std::shared_ptr<const FolderSizes> sizes);
    // Stops any layout and forgets the stock: call before its tree changes.
    void clear();
    // The map of every stock by its bytes.
    void showStocks(std::vector<StockBlock> stocks);

    [[nodiscard]] const FolderNode* root() const { return root_; }
    [[nodiscard]] bool showingStocks() const { return showingStocks_; }
    // What is drawn now, in map pixels (widget pixels times the screen's
    // scale; tests find tiles through these).
    [[nodiscard]] const MapPicture& picture() const { return picture_; }
    [[nodiscard]] const std::vector<MapRect>& stockRects() const { return stockRects_; }
    [[nodiscard]] bool layingOut() const { return layingOut_; }

    // Zooms out to the root's parent.
    void goUp();
    // What the map says about the tile under a point ("" for none).
    [[nodiscard]] QString describeAt(const QPoint& pos) const;

  signals:
    void sizesMade(std::shared_ptr<const FolderSizes> sizes);
    // A layout was drawn (the picture is the new one).
    void drawn();
    // The map now starts at another folder (a zoom or 上へ).
    void rootChanged(const FolderNode* root);
    // A click: a file (and its folder), or a folder (file null).
    void itemClicked(const FolderNode* folder, const FileRecord* file);
    void stockChosen(const QString& name);
    void hovered(const QString& text);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;

  private:
    void relayout();
    void setRoot(const FolderNode* root);
    [[nodiscard]] int stockAt(const QPoint& pos) const;
    [[nodiscard]] QRect markedRect() const;
    [[nodiscard]] QSize mapSize() const;
    [[nodiscard]] QFont mapFont() const;
    [[nodiscard]] QPoint toMap(const QPoint& pos) const; // a widget point in map pixels

    const IconCache* icons_;
    WorkRunner* runner_;
    const FolderTree* tree_ = nullptr;
    const FolderNode* root_ = nullptr;
    std::shared_ptr<const FolderSizes> sizes_;
    MapPicture picture_;
    bool showingStocks_ = false;
    std::vector<StockBlock> stocks_;
    std::vector<MapRect> stockRects_;
    QImage stockImage_;
    int hoveredTile_ = -1;
    qreal scale_ = 1; // map pixels per widget pixel
    bool layingOut_ = false;
};

// "\a\b\name" below the stock's top, as the command line writes folders.
[[nodiscard]] QString pathInStock(const FolderNode* folder, const FileRecord* file);

} // namespace zt
