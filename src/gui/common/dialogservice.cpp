// The dialog service: Qt's boxes and file dialogs.
#include "gui/common/dialogservice.h"

#include "gui/common/helpwindow.h"
#include "gui/common/text.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStorageInfo>
#include <QUrl>

namespace zt {

namespace {

class QtDialogs final : public DialogService {
  public:
    using DialogService::messageBox;
    MsgResult messageBox(QWidget* owner, const QString& title, const QString& text,
                         MsgButtons buttons, MsgIcon icon, const QString& detail) override {
        QMessageBox box(owner);
        box.setWindowTitle(title);
        box.setText(text);
        box.setInformativeText(detail);
        box.setIcon(qtIcon(icon));
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        QPushButton* cancel = nullptr;
        if (buttons == MsgButtons::OkCancel)
            cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(cancel ? cancel : ok);
        box.exec();
        return box.clickedButton() == static_cast<QAbstractButton*>(ok) ? MsgResult::Ok
                                                                        : MsgResult::Cancel;
    }

    std::optional<QString> saveFileName(QWidget* owner, const QString& title,
                                        const QString& startPath, const QString& filter,
                                        const QString& defaultSuffix) override {
        QFileDialog dlg(owner, title, startPath, filter);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        dlg.setDefaultSuffix(defaultSuffix);
        dlg.setOption(QFileDialog::DontConfirmOverwrite, false); // asks before replacing a file
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
        return dlg.selectedFiles().first();
    }

    std::optional<QString> browseForFolder(QWidget* owner, const QString& title,
                                           const QString& startFolder) override {
        const QString start = startFolder.isEmpty() ? QDir::homePath() : startFolder;
        const QString dir =
            QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
        if (dir.isEmpty()) return std::nullopt;
        return dir;
    }

    std::optional<QStringList> openFileNames(QWidget* owner, const QString& title,
                                             const QString& startFolder,
                                             const QString& filter) override {
        const QString start = startFolder.isEmpty() ? QDir::homePath() : startFolder;
        const QStringList files = QFileDialog::getOpenFileNames(owner, title, start, filter);
        if (files.isEmpty()) return std::nullopt;
        return files;
    }

    bool openWithDesktop(const QString& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }

    void showHelp(QWidget* owner, int topic) override { HelpWindow::showTopic(owner, topic); }

  private:
    static QMessageBox::Icon qtIcon(MsgIcon icon) {
        switch (icon) {
        case MsgIcon::Warning:
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::None:
            break;
        }
        return QMessageBox::NoIcon;
    }
};

std::unique_ptr<DialogService>& current() {
    static std::unique_ptr<DialogService> service;
    return service;
}

} // namespace

DialogService& dialogs() {
    auto& s = current();
    if (!s) s = std::make_unique<QtDialogs>();
    return *s;
}

std::unique_ptr<DialogService> setDialogService(std::unique_ptr<DialogService> service) {
    auto previous = std::move(current());
    current() = std::move(service);
    return previous;
}

namespace {
QString& lastSaveFolder() {
    static QString folder;
    return folder;
}
} // namespace

bool usableStartFolder(const QString& folder) {
    if (folder.isEmpty()) return false;
    const QFileInfo info(folder);
    if (!info.isDir()) return false;
    // The kernel's own trees: a file dialog that lists them can hang on a
    // single read, and nothing the program writes belongs there.
    const QString real = info.canonicalFilePath();
    for (const char* top : {"/proc", "/sys", "/dev"}) {
        const QString t = QString::fromLatin1(top);
        if (real == t || real.startsWith(t + QLatin1Char('/'))) return false;
    }
    static const QStringList kPseudo = {"proc",       "sysfs",    "devtmpfs", "devpts",
                                        "cgroup",     "cgroup2",  "debugfs",  "tracefs",
                                        "securityfs", "configfs", "pstore",   "bpf",
                                        "efivarfs",   "fusectl",  "mqueue",   "hugetlbfs"};
    return !kPseudo.contains(QString::fromLatin1(QStorageInfo(real).fileSystemType()));
}

QString saveStartFolder() {
    const QString& last = lastSaveFolder();
    return usableStartFolder(last) ? last : QDir::homePath();
}

void rememberSavedFile(const QString& file) {
    const QString folder = QFileInfo(file).absolutePath();
    if (usableStartFolder(folder)) lastSaveFolder() = folder;
}

void warn(QWidget* owner, const QString& text) {
    dialogs().messageBox(owner, QStringLiteral("警告"), text, MsgButtons::Ok, MsgIcon::Warning);
}

void warn(QWidget* owner, const StockResult& failure) {
    dialogs().messageBox(owner, QStringLiteral("警告"), toQString(failure.message), MsgButtons::Ok,
                         MsgIcon::Warning, toQString(failure.detail));
}

} // namespace zt
