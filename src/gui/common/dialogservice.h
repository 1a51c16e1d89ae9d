#pragma once
// Message boxes, file dialogs, the folder browser and help go through this one
// interface: the program uses Qt's dialogs, the window tests a scripted double
// of their own, so no test ever waits on a modal box.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QWidget;

namespace zt {

enum class MsgButtons { Ok, OkCancel };
enum class MsgIcon { None, Warning, Exclamation, Information };
enum class MsgResult { Ok, Cancel };

class DialogService {
  public:
    virtual ~DialogService() = default;

    virtual MsgResult messageBox(QWidget* owner, const QString& title, const QString& text,
                                 MsgButtons buttons, MsgIcon icon) = 0;

    // Save-file dialog; nullopt when cancelled. filter uses Qt's "Text (*.txt)" form.
    virtual std::optional<QString> saveFileName(QWidget* owner, const QString& title,
                                                const QString& startPath, const QString& filter,
                                                const QString& defaultSuffix) = 0;

    // Folder browser; nullopt when cancelled.
    virtual std::optional<QString> browseForFolder(QWidget* owner, const QString& title) = 0;

    // Opens the help document at a topic number.
    virtual void showHelp(QWidget* owner, int topic) = 0;
};

// The process-wide service (Qt's dialogs unless a test installed another).
DialogService& dialogs();
// Installs a service; returns the previous one so a test can put it back.
std::unique_ptr<DialogService> setDialogService(std::unique_ptr<DialogService> service);

// Warning box with the title "警告" and an OK button: the usual error report.
void warn(QWidget* owner, const QString& text);

} // namespace zt
