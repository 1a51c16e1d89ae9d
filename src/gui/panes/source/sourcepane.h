#pragma once
// The source pane "読み出し元": the mounted drives (and optical discs no one
// mounted, read through their device), and under them the one folder chosen
// with "フォルダ参照...". One of the two lists has the selection; a double
// click on either asks for a capture. "イメージファイル..." picks disc images,
// each to be read into a stock of its own.
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QListWidget;
class QPushButton;

namespace zt {

class IconCache;

struct CaptureSource {
    std::string path;     // the file system's bytes: a mount point or folder need not be UTF-8
    std::string rootText; // the root's text: the drive's label or the folder's name
};

class SourcePane : public QWidget {
    Q_OBJECT

  public:
    // icons is not owned and must outlive the pane.
    explicit SourcePane(const IconCache* icons, QWidget* parent = nullptr);

    // Lists the mounted drives of the kinds asked for.
    void fillDrives(bool cdDrives, bool hardDisks, bool removableDisks);
    void addDrive(const QString& caption, const std::string& mountPoint, const std::string& label,
                  int image);
    [[nodiscard]] int driveCount() const;

    // Shows the folder browser and makes its choice the chosen folder.
    void chooseFolder();
    // The chosen folder (as the file system's bytes), shown and selected.
    void setChosenFolder(const std::string& path);
    [[nodiscard]] const std::string& chosenFolder() const { return chosenFolder_; }

    // Shows the open-file dialog for disc images; what is chosen goes out
    // through imagesChosen.
    void chooseImages();

    // The selected drive, else the chosen folder when it is selected.
    [[nodiscard]] std::optional<CaptureSource> selectedSource() const;
    // "内容のチェックサムも記録する": whether a capture reads the files' content too.
    [[nodiscard]] bool recordChecksums() const;
    void setRecordChecksums(bool on); // without telling recordChecksumsToggled
    // The widgets that take the focus, in tab order.
    [[nodiscard]] QList<QWidget*> focusOrder() const;

  signals:
    void captureRequested();
    // What selectedSource() says may have changed.
    void sourceChanged();
    // Image files to read, as the file system's bytes, in the order chosen.
    void imagesChosen(const std::vector<std::string>& paths);
    // The user ticked or cleared the check box.
    void recordChecksumsToggled(bool on);

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void layoutFolderStrip();

    const IconCache* icons_;
    QListWidget* drives_ = nullptr;
    QWidget* folderStrip_ = nullptr; // the chosen folder over the browse button
    QListWidget* folder_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* images_ = nullptr;
    QString imageFolder_; // where the last images were chosen, while the program runs
    QCheckBox* checksums_ = nullptr;
    std::string chosenFolder_;
};

} // namespace zt
