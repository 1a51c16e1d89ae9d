#pragma once
// The main window's tool bar: flat buttons with the caption under a 24×24 image,
// separators between groups, and wrapping into further rows when the bar is too
// narrow for one row. The main window reads rows() to size the bar.
#include <QWidget>
#include <vector>

class QIcon;
class QToolButton;

namespace zt {

class FlowToolBar : public QWidget {
    Q_OBJECT

  public:
    explicit FlowToolBar(QWidget* parent = nullptr);

    // Adds a flat button with the caption under the image and the hint as tool tip.
    QToolButton* addButton(const QString& caption, const QString& hint, const QIcon& icon);
    void addSeparator();

    // Number of button rows at the current width (at least 1).
    [[nodiscard]] int rows() const { return rowsForWidth(width()); }
    // Number of rows the buttons would take at a given bar width.
    [[nodiscard]] int rowsForWidth(int barWidth) const;
    // The narrowest bar that holds the buttons in at most maxRows rows.
    [[nodiscard]] int minimumWidthForRows(int maxRows) const;

    // Button size: 52×43 at the design font, larger when the font needs it.
    [[nodiscard]] QSize buttonSize() const;
    // buttonSize().height() / 43: the factor by which the bar's design sizes grow.
    [[nodiscard]] double scale() const;

    static constexpr int kIndent = 5;
    static constexpr int kSeparatorWidth = 8;
    static constexpr int kDesignButtonWidth = 52;
    static constexpr int kDesignButtonHeight = 43;
    static constexpr int kIconSize = 24;

  protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

  private:
    struct Item {
        QToolButton* button = nullptr; // null for a separator
        QRect rect;                    // placed separator (empty when at a row start)
    };
    // Places every item for a bar width; returns the number of rows.
    int place(int barWidth, bool apply);
    void relayout();

    std::vector<Item> items_;
};

} // namespace zt
