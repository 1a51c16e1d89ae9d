#pragma once
// The help document: HTML pages compiled into the program, shown in a browser
// window that is kept while open and brought to the front when asked again.
#include <QWidget>

class QTextBrowser;

namespace zt {

class HelpWindow : public QWidget {
    Q_OBJECT

  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Opens (or raises) the help window at a topic; topic 1 is the table of contents.
    static HelpWindow* showTopic(QWidget* owner, int topic);

    void openTopic(int topic);
    [[nodiscard]] QTextBrowser* browser() const { return browser_; }
    // The page shown for a topic number (unknown numbers give the contents page).
    [[nodiscard]] static QString topicUrl(int topic);

  private:
    QTextBrowser* browser_ = nullptr;
};

} // namespace zt
